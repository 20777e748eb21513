#include "ConvertQt.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>

#include "ImportQt.h"

namespace pictoma {

namespace {

// SVG text needs Qt's font database, so an SVG input gets an application object (on the
// offscreen platform); other formats start none, which keeps the converter's start-up short.
void EnsureApplicationFor(const QByteArray& format) {
    static int argc = 1;
    static char name[] = "pictoma-convert";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QGuiApplication> app;
    if (!format.startsWith("svg") || QGuiApplication::instance()) return;
    // Qt warns that it picked a runtime folder of its own; that is no concern of the user's.
    static const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (text.startsWith(QLatin1String("QStandardPaths:"))) return;
            if (previous) previous(type, context, text);
        });
    app = MakeDecoderApplication(argc, argv);
}

std::shared_ptr<const PictureSource> Decode(const std::string& name,
                                            const std::vector<std::uint8_t>* bytes,
                                            std::string& error) {
    const QString qname = QString::fromStdString(name);
    if (bytes) {
        const QByteArray data = QByteArray::fromRawData(
            reinterpret_cast<const char*>(bytes->data()), qsizetype(bytes->size()));
        return ImportSource::FromBytes(data, qname, error, EnsureApplicationFor);
    }
    return ImportSource::Open(qname, error, EnsureApplicationFor);
}

std::string Png(const Picture& picture, int scale) {
    QImage image = PictureImage(picture);
    if (scale > 1) {
        image = image
                    .scaled(picture.width * scale, picture.height * scale, Qt::IgnoreAspectRatio,
                            Qt::FastTransformation)
                    .convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image)) return {};
    return png.toStdString();
}

}  // namespace

ConvertServices QtConvertServices() {
    return {&Decode, &Png};
}

}  // namespace pictoma
