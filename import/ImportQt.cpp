#include "ImportQt.h"

#include <QBuffer>
#include <QFile>
#include <algorithm>
#include <cstring>

namespace pictoma {

namespace {

constexpr qint64 kDecodeLimitBytes = qint64(kDecodeLimitMiB) * 1024 * 1024;
constexpr qint64 kBandBytes = 256 * 1024;

constexpr qint64 kSignatureBytes = 12;  // enough for every signature RasterFormatOf knows

bool IsVectorFormat(const QByteArray& format) {
    return format == "svg" || format == "svgz";
}

std::string Cannot(const QString& name, const QString& reason) {
    return (name + QStringLiteral(": cannot read this picture (") + reason + QStringLiteral(")"))
        .toStdString();
}

// Bytes a decoded picture of `size` takes in `format` (4 per pixel when the reader does not say).
qint64 DecodedBytes(QSize size, QImage::Format format) {
    const int bits =
        format == QImage::Format_Invalid ? 32 : QImage::toPixelFormat(format).bitsPerPixel();
    return qint64(size.width()) * size.height() * std::max(bits, 8) / 8;
}

std::string TooLarge(const QString& name, QSize size) {
    return QStringLiteral(
               "%1: the picture is %2 x %3 pixels, more than the %4 MiB it may take "
               "to decode")
        .arg(name)
        .arg(size.width())
        .arg(size.height())
        .arg(kDecodeLimitMiB)
        .toStdString();
}

}  // namespace

QImageRows::QImageRows(QImage image)
    : m_image(std::move(image)),
      m_direct(m_image.format() == QImage::Format_RGBA8888 ||
               m_image.format() == QImage::Format_RGBX8888),
      m_words(m_image.format() == QImage::Format_ARGB32 ||
              m_image.format() == QImage::Format_RGB32) {}

const std::uint8_t* QImageRows::Row(int y, std::uint8_t* scratch) {
    if (m_direct) return m_image.constScanLine(y);
    if (m_words) {
        // What most decoders give: reordered into the scratch row, without a converted copy.
        const auto* words = reinterpret_cast<const std::uint32_t*>(m_image.constScanLine(y));
        const bool opaque = m_image.format() == QImage::Format_RGB32;
        std::uint8_t* out = scratch;
        for (int x = 0; x < m_image.width(); ++x, out += kRgbaBytes) {
            const std::uint32_t p = words[x];
            out[0] = std::uint8_t(p >> 16);
            out[1] = std::uint8_t(p >> 8);
            out[2] = std::uint8_t(p);
            out[3] = opaque ? 255 : std::uint8_t(p >> 24);
        }
        return scratch;
    }
    if (m_band.isNull() || y < m_bandFirst || y >= m_bandFirst + m_band.height()) {
        const qint64 rowBytes = std::max<qint64>(1, qint64(m_image.width()) * kRgbaBytes);
        const int rows = int(std::clamp<qint64>(kBandBytes / rowBytes, 1, m_image.height() - y));
        // A view of the band in the source's own format (no copy), then converted.
        QImage band(m_image.constScanLine(y), m_image.width(), rows, m_image.bytesPerLine(),
                    m_image.format());
        if (m_image.colorCount() > 0) band.setColorTable(m_image.colorTable());
        m_band = QImage();  // the old band goes before the new one is made
        m_band = band.convertToFormat(QImage::Format_RGBA8888);
        m_bandFirst = y;
    }
    std::memcpy(scratch, m_band.constScanLine(y - m_bandFirst),
                std::size_t(m_image.width()) * kRgbaBytes);
    return scratch;
}

std::shared_ptr<ImportSource> ImportSource::Decode(QImageReader& reader, const QString& name,
                                                   const QByteArray* bytes, std::string& error,
                                                   const FormatFound& found) {
    QImageReader::setAllocationLimit(kDecodeLimitMiB);
    reader.setAutoTransform(true);  // photos turned as their camera meant
    if (!reader.canRead()) {
        error = Cannot(name, reader.errorString());
        return nullptr;
    }
    // The size the file declares is checked before anything is decoded: a small file may declare
    // a huge picture.
    const QSize declared = reader.size();
    if (declared.isValid() && DecodedBytes(declared, reader.imageFormat()) > kDecodeLimitBytes) {
        error = TooLarge(name, declared);
        return nullptr;
    }
    auto source = std::shared_ptr<ImportSource>(new ImportSource);
    source->m_format = reader.format();
    if (found) found(source->m_format);
    if (IsVectorFormat(source->m_format)) {
        if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            error = Cannot(name, QStringLiteral("SVG needs a QGuiApplication"));
            return nullptr;
        }
        if (bytes) {
            source->m_svg = *bytes;
        } else {
            QFile file(reader.fileName());
            if (!file.open(QIODevice::ReadOnly)) {
                error = Cannot(name, file.errorString());
                return nullptr;
            }
            source->m_svg = file.readAll();
        }
    }
    QImage image = reader.read();  // the first frame of an animation
    if (image.isNull()) {
        error = Cannot(name, reader.errorString());
        return nullptr;
    }
    source->m_image = std::move(image);
    source->m_original = {source->m_image.width(), source->m_image.height()};
    return source;
}

std::shared_ptr<ImportSource> ImportSource::Open(const QString& path, std::string& error,
                                                 const FormatFound& found) {
    if (const QByteArray format = RasterFormatOfFile(path); !format.isEmpty()) {
        QImageReader named(path, format);
        named.setAutoDetectImageFormat(false);
        if (named.canRead()) return Decode(named, path, nullptr, error, found);
    }
    // Not a signature we know, or not that format after all: the reader finds out.
    QImageReader reader(path);
    return Decode(reader, path, nullptr, error, found);
}

std::shared_ptr<ImportSource> ImportSource::FromBytes(const QByteArray& data, const QString& name,
                                                      std::string& error,
                                                      const FormatFound& found) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    if (const QByteArray format = RasterFormatOf(data); !format.isEmpty()) {
        QImageReader named(&buffer, format);
        named.setAutoDetectImageFormat(false);
        if (named.canRead()) return Decode(named, name, &data, error, found);
        buffer.seek(0);
    }
    QImageReader reader(&buffer);
    return Decode(reader, name, &data, error, found);
}

std::shared_ptr<ImportSource> ImportSource::FromImage(const QImage& image) {
    if (image.isNull()) return nullptr;
    auto source = std::shared_ptr<ImportSource>(new ImportSource);
    source->m_image = image;
    source->m_original = {image.width(), image.height()};
    return source;
}

std::unique_ptr<RgbaRows> ImportSource::Rows(Size target) const {
    const QSize size(target.width, target.height);
    if (Scalable() && size != m_image.size() && size.isValid() &&
        DecodedBytes(size, QImage::Format_ARGB32) <= kDecodeLimitBytes) {
        QByteArray svg = m_svg;
        QBuffer buffer(&svg);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, m_format);
        reader.setScaledSize(size);
        QImage rendered = reader.read();
        if (!rendered.isNull()) return std::make_unique<QImageRows>(std::move(rendered));
    }
    return std::make_unique<QImageRows>(m_image);
}

QByteArray RasterFormatOf(const QByteArray& head) {
    if (head.startsWith("\x89PNG\r\n\x1a\n")) return "png";
    if (head.startsWith("\xff\xd8\xff")) return "jpeg";
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a")) return "gif";
    if (head.startsWith("BM")) return "bmp";
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP") return "webp";
    if (head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4)))
        return "tiff";
    return {};
}

QByteArray RasterFormatOfFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? RasterFormatOf(file.read(kSignatureBytes))
                                          : QByteArray();
}

QStringList ReadableFormats() {
    QStringList formats;
    for (const QByteArray& f : QImageReader::supportedImageFormats())
        formats << QString::fromLatin1(f).toLower();
    formats.removeDuplicates();
    formats.sort();
    return formats;
}

QString ImportFileFilter() {
    QStringList patterns;
    for (const QString& f : ReadableFormats())
        patterns << QStringLiteral("*.") + f;
    return QStringLiteral("Pictures (%1);;All files (*)").arg(patterns.join(QLatin1Char(' ')));
}

std::unique_ptr<QGuiApplication> MakeDecoderApplication(int& argc, char** argv) {
    if (QCoreApplication::instance()) return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

QImage PictureImage(const Picture& picture) {
    QImage image(picture.width, picture.height, QImage::Format_Mono);
    image.setColor(0, qRgb(255, 255, 255));
    image.setColor(1, qRgb(0, 0, 0));
    for (int y = 0; y < picture.height; ++y) {
        // Format_Mono keeps the leftmost pixel in the most significant bit, set bit = colour 1,
        // the picture's own layout.
        std::uint8_t* line = image.scanLine(y);
        const std::uint8_t* row =
            picture.bytes.data() + std::size_t(y) * std::size_t(picture.BytesPerRow());
        std::copy(row, row + picture.BytesPerRow(), line);
    }
    return image;
}

}  // namespace pictoma
