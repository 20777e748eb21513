#pragma once
// Decoding pictures of every format the machine's Qt image readers know (PNG, JPEG, GIF, WebP,
// TIFF, SVG, compressed and bit-field bitmaps, ...) into the rows the import pipeline reads.
// Qt Gui only: no widgets, and no display. Raster formats need no application object at all;
// SVG does (its text needs Qt's font database): see MakeDecoderApplication.

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Pipeline.h"

namespace pictoma {

// Qt's image allocation limit while decoding, in MiB: a picture that would need more is refused.
constexpr int kDecodeLimitMiB = 1024;

// The rows of a QImage of any format as RGBA, not premultiplied: RGBA8888 and RGBX8888 rows are
// handed out as they are, any other format is converted a band of rows at a time (at most
// 2 MiB), so the image is never held twice.
class QImageRows final : public RgbaRows {
public:
    explicit QImageRows(QImage image);
    Size Dimensions() const override { return {m_image.width(), m_image.height()}; }
    const std::uint8_t* Row(int y, std::uint8_t* scratch) override;

private:
    QImage m_image;
    bool m_direct;  // rows in the pipeline's own layout
    bool m_words;   // one 32-bit word 0xAARRGGBB a pixel (0xFFRRGGBB for RGB32), reordered here
    QImage m_band;  // other formats: rows m_bandFirst.. converted by Qt
    int m_bandFirst = 0;
};

// A decoded picture: a raster held as Qt decoded it, or an SVG kept as its bytes and rendered at
// each size the scale step asks for.
class ImportSource final : public PictureSource {
public:
    // Told the format the reader found ("png", "svg", ...) before anything is decoded: the
    // converter starts an application object there when an SVG needs one.
    using FormatFound = std::function<void(const QByteArray& format)>;

    // Decodes the first frame of the file at `path` (named by `path` in messages). Null, with
    // `error` set, when it cannot: "<name>: cannot read this picture (<the reader's reason>)",
    // or a message naming the size when the picture declares more than kDecodeLimitMiB.
    static std::shared_ptr<ImportSource> Open(const QString& path, std::string& error,
                                              const FormatFound& found = {});
    // The same from bytes in memory (standard input), named `name` in messages.
    static std::shared_ptr<ImportSource> FromBytes(const QByteArray& data, const QString& name,
                                                   std::string& error,
                                                   const FormatFound& found = {});
    // A picture decoded elsewhere (the clipboard's). Null for a null image.
    static std::shared_ptr<ImportSource> FromImage(const QImage& image);

    Size OriginalSize() const override { return m_original; }
    // A raster's own rows whatever the target. An SVG rendered at `target` (sharp), or, when that
    // would pass the allocation limit or fails, its rendering at the declared size, which the
    // scale step then scales.
    std::unique_ptr<RgbaRows> Rows(Size target) const override;

    bool Scalable() const { return !m_svg.isEmpty(); }
    const QImage& Image() const { return m_image; }

private:
    ImportSource() = default;
    static std::shared_ptr<ImportSource> Decode(QImageReader& reader, const QString& name,
                                                const QByteArray* bytes, std::string& error,
                                                const FormatFound& found);

    Size m_original;
    QImage m_image;    // the raster; for an SVG its rendering at the declared size
    QByteArray m_svg;  // an SVG's bytes
    QByteArray m_format;
};

// The format of a picture from its first bytes, for the raster formats whose signature leaves no
// doubt ("png", "jpeg", "gif", "bmp", "webp", "tiff"); empty for any other. A reader told the
// format asks only that format's handler; one left to find it asks every format plugin, each
// loaded with its libraries, whether it knows the format.
QByteArray RasterFormatOf(const QByteArray& head);
// The same for the file at `path`; empty when it cannot be read.
QByteArray RasterFormatOfFile(const QString& path);

// The formats the machine's readers decode, lower case ("bmp", "gif", "jpeg", "png", "svg", ...).
QStringList ReadableFormats();
// A file dialog filter: "Pictures (*.bmp *.gif ...);;All files (*)".
QString ImportFileFilter();

// A monochrome picture as a one-bit image (white 0, black 1) at real size: the clipboard's image
// and the converter's PNG.
QImage PictureImage(const Picture& picture);

// For a program without an application object (the converter): a QGuiApplication on the
// "offscreen" platform (unless QT_QPA_PLATFORM names another), so that SVG text can be rendered
// with no display. Null when an application object exists already. `argc` must outlive it.
std::unique_ptr<QGuiApplication> MakeDecoderApplication(int& argc, char** argv);

}  // namespace pictoma
