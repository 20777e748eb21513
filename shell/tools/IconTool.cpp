// Build helper for the desktop icons:
//   pictoma-icon-tool INPUT.xpm OUTPUT.svg        the XPM's pixels as a scalable SVG picture
//   pictoma-icon-tool INPUT OUTPUT.png [SIZE]     INPUT (.xpm or .svg) as a SIZE x SIZE PNG
// A pixel picture is enlarged by whole multiples without smoothing, so that its pixels stay
// sharp; other sizes are scaled smoothly. An SVG is drawn at the size asked for.
#include <cstdio>
#include <cstdlib>

#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QString>
#include <QTextStream>

namespace {

bool EndsWith(const QString& path, const char* suffix) {
    return path.endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
}

// Reads `path`, an SVG drawn at `size` x `size` (0: its own size) or a pixel picture as it is.
QImage Read(const QString& path, int size) {
    QImageReader reader(path);
    if (EndsWith(path, ".svg") && size > 0) reader.setScaledSize(QSize(size, size));
    return reader.read().convertToFormat(QImage::Format_ARGB32);
}

QImage Scaled(const QImage& image, int size) {
    if (size <= 0 || (image.width() == size && image.height() == size)) return image;
    const bool whole = size % image.width() == 0 && size % image.height() == 0;
    return image.scaled(size, size, Qt::IgnoreAspectRatio,
                        whole ? Qt::FastTransformation : Qt::SmoothTransformation);
}

// One rectangle per run of equal pixels along a row; transparent pixels are left out.
bool WriteSvg(const QImage& image, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    QTextStream out(&file);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << image.width() << "\" height=\""
        << image.height() << "\" viewBox=\"0 0 " << image.width() << ' ' << image.height()
        << "\" shape-rendering=\"crispEdges\">\n";
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width();) {
            const QRgb pixel = image.pixel(x, y);
            int end = x + 1;
            while (end < image.width() && image.pixel(end, y) == pixel)
                ++end;
            if (qAlpha(pixel) != 0) {
                out << "<rect x=\"" << x << "\" y=\"" << y << "\" width=\"" << end - x
                    << "\" height=\"1\" fill=\"" << QColor(pixel).name() << '"';
                if (qAlpha(pixel) != 255) out << " fill-opacity=\"" << qAlpha(pixel) / 255.0 << '"';
                out << "/>\n";
            }
            x = end;
        }
    }
    out << "</svg>\n";
    out.flush();
    return out.status() == QTextStream::Ok && file.error() == QFile::NoError;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr,
                     "usage: pictoma-icon-tool INPUT.xpm OUTPUT.svg\n"
                     "       pictoma-icon-tool INPUT OUTPUT.png [SIZE]\n");
        return 2;
    }
    const QString input = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    const int size = argc == 4 ? std::atoi(argv[3]) : 0;
    if (argc == 4 && (size < 1 || size > 1024)) {
        std::fprintf(stderr, "pictoma-icon-tool: SIZE must be 1..1024, not %s\n", argv[3]);
        return 2;
    }
    const QImage image = Read(input, size);
    if (image.isNull()) {
        std::fprintf(stderr, "pictoma-icon-tool: cannot read %s\n", argv[1]);
        return 1;
    }
    const bool written = EndsWith(output, ".svg") ? WriteSvg(image, output)
                                                  : Scaled(image, size).save(output, "PNG");
    if (!written) {
        std::fprintf(stderr, "pictoma-icon-tool: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
