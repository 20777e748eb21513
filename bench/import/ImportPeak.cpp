// Linux/POSIX-only: getrusage.
// Peak memory of a --fit import of a large PNG: the decoded picture plus what the pipeline adds.
//   cmake --build build --target import_peak && ./build/bench/import/import_peak [FILE.png]
// Without a file it writes an 8000 x 8000 RGBA PNG of noise to the temporary folder first (once),
// in a child run, so that making it does not count.

#include <sys/resource.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <cstdio>
#include <random>

#include "ImportQt.h"

namespace {

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace pictoma;
    QString path = argc > 1 ? QString::fromLocal8Bit(argv[1])
                            : QDir::temp().filePath(QStringLiteral("pictoma_peak_8000.png"));
    if (argc > 2 && QByteArray(argv[2]) == "--make") {
        QImage img(8000, 8000, QImage::Format_ARGB32);
        std::mt19937 rng(8000);
        for (int y = 0; y < img.height(); ++y) {
            auto* p = reinterpret_cast<quint32*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                p[x] = quint32(rng()) | 0x80000000u;
        }
        return img.save(path, "png", 100) ? 0 : 1;  // fastest compression
    }
    if (argc == 1 && !QFileInfo::exists(path) &&
        QProcess::execute(QString::fromLocal8Bit(argv[0]), {path, QStringLiteral("--make")}) != 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    const long before = PeakKiB();
    std::string error;
    const auto source = ImportSource::Open(path, error);
    if (!source) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const long decoded = PeakKiB();
    ImportOptions o;
    o.size = SizeMode::Fit;
    o.dither = Dither::FloydSteinberg;
    const Picture p = ImportPicture(*source, o);
    const long after = PeakKiB();
    const double image = double(source->Image().sizeInBytes()) / (1024 * 1024);
    std::printf("%s: %d x %d, decoded image %.1f MiB (format %d), result %d x %d\n",
                qPrintable(path), source->OriginalSize().width, source->OriginalSize().height,
                image, int(source->Image().format()), p.width, p.height);
    std::printf(
        "peak RSS: %.1f MiB at start, %.1f MiB after decoding, %.1f MiB after the "
        "pipeline: %.1f MiB over the decoded image\n",
        before / 1024.0, decoded / 1024.0, after / 1024.0, after / 1024.0 - image);
    return 0;
}
