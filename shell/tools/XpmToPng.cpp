// Build helper: converts an XPM picture to PNG (the installed application icon).
#include <cstdio>

#include <QImage>
#include <QString>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: pictoma-icon-png INPUT.xpm OUTPUT.png\n");
        return 2;
    }
    const QImage image(QString::fromLocal8Bit(argv[1]), "XPM");
    if (image.isNull()) {
        std::fprintf(stderr, "pictoma-icon-png: cannot read %s\n", argv[1]);
        return 1;
    }
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "pictoma-icon-png: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
