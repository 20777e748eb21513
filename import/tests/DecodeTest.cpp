// Decoding without any application object, as the converter does; SVG last, with the decoder
// application made here on no display.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <cstring>
#include <optional>

#include "ImportQt.h"
#include "Pipeline.h"

namespace pictoma {
namespace {

QByteArray Write(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    EXPECT_TRUE(writer.write(image)) << format << ": " << writer.errorString().toStdString();
    return bytes;
}

void Put16(QByteArray& b, int v) {
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}
void Put32(QByteArray& b, quint32 v) {
    Put16(b, int(v & 0xFFFF));
    Put16(b, int(v >> 16));
}

// A bitmap from its info header fields, palette (B G R 0 quads) and pixel data.
QByteArray Bitmap(int infoSize, int w, int h, int bits, int compression,
                  const QByteArray& afterHeader, const QByteArray& data) {
    QByteArray info;
    Put32(info, quint32(infoSize));
    Put32(info, quint32(w));
    Put32(info, quint32(h));
    Put16(info, 1);
    Put16(info, bits);
    Put32(info, quint32(compression));
    Put32(info, quint32(data.size()));
    Put32(info, 0);
    Put32(info, 0);
    Put32(info, bits <= 8 ? quint32(afterHeader.size() / 4) : 0);
    Put32(info, 0);
    info += afterHeader;
    info.resize(infoSize + (bits <= 8 ? afterHeader.size() : 0), '\0');
    QByteArray file("BM");
    Put32(file, quint32(14 + info.size() + data.size()));
    Put32(file, 0);
    Put32(file, quint32(14 + info.size()));
    return file + info + data;
}

const QRgb kPalette[4] = {qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(255, 0, 0), qRgb(0, 0, 255)};

// Six by two, palette indices 2 2 2 2 2 2 / 1 1 1 2 3 0, as run-length compressed 8-bit data.
QByteArray Rle8Bitmap(QImage& expect) {
    QByteArray palette;
    for (QRgb c : kPalette)
        palette.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
    const QByteArray data = QByteArray::fromHex(
        "0301"          // bottom row: three of colour 1
        "000302030000"  // then three literal pixels 2 3 0, padded to a word
        "0000"          // end of line
        "0602"
        "0000"    // top row: six of colour 2
        "0001");  // end of bitmap
    expect = QImage(6, 2, QImage::Format_ARGB32);
    const int top[6] = {2, 2, 2, 2, 2, 2}, bottom[6] = {1, 1, 1, 2, 3, 0};
    for (int x = 0; x < 6; ++x) {
        expect.setPixel(x, 0, kPalette[top[x]]);
        expect.setPixel(x, 1, kPalette[bottom[x]]);
    }
    return Bitmap(40, 6, 2, 8, 1, palette, data);
}

// Three by two, 32 bits with bit-field masks in R G B A byte order (not the usual B G R A), and
// alpha, in a version-4 header.
QByteArray BitFieldBitmap(QImage& expect) {
    QByteArray masks;
    Put32(masks, 0x000000FF);
    Put32(masks, 0x0000FF00);
    Put32(masks, 0x00FF0000);
    Put32(masks, 0xFF000000);
    const QRgb px[2][3] = {{qRgba(255, 0, 0, 255), qRgba(0, 255, 0, 128), qRgba(10, 20, 30, 0)},
                           {qRgba(0, 0, 255, 255), qRgba(200, 100, 50, 255), qRgba(1, 2, 3, 64)}};
    QByteArray data;
    expect = QImage(3, 2, QImage::Format_ARGB32);
    for (int y = 1; y >= 0; --y)
        for (int x = 0; x < 3; ++x) {
            const QRgb c = px[y][x];
            data.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
            data.append(char(qAlpha(c)));
            expect.setPixel(x, y, c);
        }
    return Bitmap(108, 3, 2, 32, 3, masks, data);
}

// LZW data of a four-colour GIF frame: a Clear code before every two pixels keeps all codes
// three bits wide, which every decoder reads.
QByteArray GifFrameData(const std::vector<int>& indices) {
    QByteArray packed;
    quint32 acc = 0;
    int bits = 0;
    auto put = [&](int code) {
        acc |= quint32(code) << bits;
        bits += 3;
        while (bits >= 8) {
            packed.append(char(acc & 0xFF));
            acc >>= 8;
            bits -= 8;
        }
    };
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (i % 2 == 0) put(4);
        put(indices[i]);
    }
    put(5);
    if (bits > 0) packed.append(char(acc & 0xFF));
    QByteArray blocks("\x02", 1);  // minimum code size
    for (int at = 0; at < packed.size(); at += 255) {
        const QByteArray part = packed.mid(at, 255);
        blocks.append(char(part.size())).append(part);
    }
    return blocks.append('\0');
}

// Two frames of 4 x 3: the first a pattern of all four colours, the second all red.
QByteArray TwoFrameGif(QImage& expect) {
    QByteArray gif("GIF89a");
    Put16(gif, 4);
    Put16(gif, 3);
    gif.append(char(0x91)).append('\0').append('\0');
    for (QRgb c : kPalette)
        gif.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
    std::vector<int> first;
    expect = QImage(4, 3, QImage::Format_ARGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            first.push_back((x + y) % 4);
            expect.setPixel(x, y, kPalette[(x + y) % 4]);
        }
    for (const auto& frame : {first, std::vector<int>(12, 2)}) {
        gif += QByteArray::fromHex("21f904000a000000");  // graphic control: 1/10 s
        gif += QByteArray::fromHex("2c00000000040003000000").left(10);
        gif += GifFrameData(frame);
    }
    return gif.append(';');
}

// A 37 x 23 test card: colours in every channel and, when `alpha`, coverage from clear to opaque.
QImage Card(QImage::Format format, bool alpha) {
    QImage img(37, 23, QImage::Format_ARGB32);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x)
            img.setPixel(x, y,
                         qRgba(x * 7, y * 11, (x * y) & 255, alpha ? (x * 13 + y * 5) & 255 : 255));
    return img.convertToFormat(format);
}

QImage Greys() {
    QImage img(37, 23, QImage::Format_Grayscale8);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x)
            img.scanLine(y)[x] = uchar((x * 7 + y * 3) & 255);
    return img;
}

QImage Palette() {
    QImage img(37, 23, QImage::Format_Indexed8);
    img.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(200, 30, 30), qRgb(20, 200, 90),
                       qRgb(120, 120, 250)});
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x)
            img.setPixel(x, y, uint((x / 3 + y) % 5));
    return img;
}

// One bit per pixel with white as the first palette entry, so index 0 is white.
QImage WhiteFirstMono() {
    QImage img(19, 5, QImage::Format_Mono);
    img.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 19; ++x)
            img.setPixel(x, y, uint((x + y) % 3 == 0));
    return img;
}

// The result computed here from the decoded pixels, by the rules written out.
Picture Reference(const QImage& decoded, const ImportOptions& o) {
    const QImage argb = decoded.convertToFormat(QImage::Format_ARGB32);
    const std::uint8_t bg = BackgroundLevel(o.background);
    Picture p(argb.width(), argb.height());
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb c = argb.pixel(x, y);
            const int a = qAlpha(c);
            auto comp = [&](int v) { return (v * a + bg * (255 - a) + 127) / 255; };
            p.Set(x, y, Brightness(comp(qRed(c)), comp(qGreen(c)), comp(qBlue(c))) <= o.threshold);
        }
    return p;
}

// The source's rows as ARGB32, to compare with the pixels a lossless file was made from.
QImage RowsAsImage(const ImportSource& source) {
    auto rows = source.Rows(source.OriginalSize());
    const Size s = rows->Dimensions();
    QImage img(s.width, s.height, QImage::Format_ARGB32);
    std::vector<std::uint8_t> scratch(std::size_t(s.width) * 4);
    for (int y = 0; y < s.height; ++y) {
        const std::uint8_t* p = rows->Row(y, scratch.data());
        for (int x = 0; x < s.width; ++x, p += 4)
            img.setPixel(x, y, qRgba(p[0], p[1], p[2], p[3]));
    }
    return img;
}

struct FormatCase {
    const char* name;
    QByteArray bytes;
    std::optional<QImage> pixels;  // what a lossless file holds
};

std::vector<FormatCase> Cases() {
    QImage rle, fields, gif;
    std::vector<FormatCase> cases{
        {"png grey", Write(Greys(), "png"), Greys()},
        {"png rgb", Write(Card(QImage::Format_RGB32, false), "png"),
         Card(QImage::Format_RGB32, false)},
        {"png rgba", Write(Card(QImage::Format_ARGB32, true), "png"),
         Card(QImage::Format_ARGB32, true)},
        {"png palette", Write(Palette(), "png"), Palette()},
        {"jpeg", Write(Card(QImage::Format_RGB32, false), "jpeg"), std::nullopt},
        {"webp", Write(Card(QImage::Format_ARGB32, true), "webp"), std::nullopt},
        {"bmp one bit, white first", Write(WhiteFirstMono(), "bmp"), WhiteFirstMono()},
    };
    cases.push_back({"bmp rle8", Rle8Bitmap(rle), rle});
    cases.push_back({"bmp bit fields", BitFieldBitmap(fields), fields});
    cases.push_back({"gif, two frames", TwoFrameGif(gif), gif});
    return cases;
}

TEST(Decode, EveryFormatGivesItsPixelsAndTheirPicture) {
    for (const FormatCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        std::string error;
        const auto source = ImportSource::FromBytes(c.bytes, QString::fromLatin1(c.name), error);
        ASSERT_TRUE(source) << error;
        const QImage decoded = QImage::fromData(c.bytes);
        ASSERT_FALSE(decoded.isNull());
        EXPECT_EQ(source->OriginalSize(), (Size{decoded.width(), decoded.height()}));
        if (c.pixels) {
            const QImage got = RowsAsImage(*source);
            const QImage want = c.pixels->convertToFormat(QImage::Format_ARGB32);
            ASSERT_EQ(got.size(), want.size());
            for (int y = 0; y < want.height(); ++y)
                for (int x = 0; x < want.width(); ++x)
                    ASSERT_EQ(got.pixel(x, y), want.pixel(x, y)) << x << "," << y;
        }
        for (Background bg : {Background::White, Background::Black}) {
            ImportOptions o;
            o.background = bg;
            o.threshold = 100;
            EXPECT_EQ(ImportPicture(*source, o), Reference(decoded, o));
        }
    }
}

TEST(Decode, OneBitBitmapFixtureReallyHasWhiteFirst) {
    const QByteArray bmp = Write(WhiteFirstMono(), "bmp");
    ASSERT_GT(bmp.size(), 62);
    EXPECT_EQ(bmp.mid(54, 3), QByteArray("\xFF\xFF\xFF", 3));  // palette entry 0
}

TEST(Decode, AnimatedGifGivesItsFirstFrame) {
    QImage first;
    QByteArray gif = TwoFrameGif(first);
    QBuffer buffer(&gif);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    EXPECT_EQ(reader.imageCount(), 2);  // the fixture is an animation
    std::string error;
    const auto source = ImportSource::FromBytes(gif, "anim.gif", error);
    ASSERT_TRUE(source) << error;
    EXPECT_EQ(RowsAsImage(*source), first.convertToFormat(QImage::Format_ARGB32));
}

TEST(Decode, ClipboardImagesOfAnyFormat) {
    const QImage card = Card(QImage::Format_ARGB32, true);
    for (QImage::Format f :
         {QImage::Format_ARGB32, QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied,
          QImage::Format_RGBA8888, QImage::Format_RGB888, QImage::Format_Mono}) {
        const QImage img = card.convertToFormat(f);
        const auto source = ImportSource::FromImage(img);
        ASSERT_TRUE(source);
        EXPECT_EQ(ImportPicture(*source, {}), Reference(img, {})) << int(f);
    }
    EXPECT_FALSE(ImportSource::FromImage(QImage()));
}

TEST(Decode, FilesByPathAndTheirErrors) {
    QTemporaryDir dir;
    const QString png = dir.filePath("card.png"), junk = dir.filePath("junk.png"),
                  cut = dir.filePath("cut.png");
    const QByteArray bytes = Write(Card(QImage::Format_RGB32, false), "png");
    auto put = [](const QString& path, const QByteArray& b) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(b);
    };
    put(png, bytes);
    put(junk, "this is no picture");
    put(cut, bytes.left(60));
    std::string error;
    const auto source = ImportSource::Open(png, error);
    ASSERT_TRUE(source) << error;
    EXPECT_EQ(source->OriginalSize(), (Size{37, 23}));

    for (const QString& bad : {junk, cut, dir.filePath("missing.png")}) {
        error.clear();
        EXPECT_FALSE(ImportSource::Open(bad, error));
        const std::string prefix = bad.toStdString() + ": cannot read this picture (";
        EXPECT_EQ(error.substr(0, prefix.size()), prefix) << error;
        EXPECT_EQ(error.back(), ')');
        EXPECT_GT(error.size(), prefix.size() + 1) << "a reason";
    }
}

// Each raster format the reader is told from its signature, whatever the file is called; a
// PNG under another format's name still decodes, and text is told nothing.
TEST(Decode, SignaturesNameTheFormatWhateverTheFileIsCalled) {
    const QImage card = Card(QImage::Format_RGB32, false);
    for (const char* format : {"png", "jpeg", "gif", "bmp", "webp", "tiff"}) {
        if (!QImageWriter::supportedImageFormats().contains(format)) continue;
        EXPECT_EQ(RasterFormatOf(Write(card, format)), QByteArray(format));
    }
    for (const char* other : {"", "<svg xmlns=", "P6\n1 1\n255\n", "this is no picture"})
        EXPECT_EQ(RasterFormatOf(other), QByteArray()) << other;

    QTemporaryDir dir;
    const QString misnamed = dir.filePath("card.gif");
    {
        QFile f(misnamed);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Write(card, "png"));
    }
    EXPECT_EQ(RasterFormatOfFile(misnamed), "png");
    std::string error;
    const auto source = ImportSource::Open(misnamed, error);
    ASSERT_TRUE(source) << error;
    EXPECT_EQ(ImportPicture(*source, {}), Reference(card, {}));
}

quint32 Crc32(const QByteArray& bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (char ch : bytes) {
        crc ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A PNG of one pixel whose header, checksum and all, declares 40000 x 30000 (4.5 GiB decoded).
TEST(Decode, HugeDeclaredSizeIsRefusedBeforeDecoding) {
    QImage one(1, 1, QImage::Format_RGB32);
    one.fill(Qt::white);
    QByteArray png = Write(one, "png");
    QByteArray size;
    for (quint32 v : {40000u, 30000u})
        for (int shift = 24; shift >= 0; shift -= 8)
            size.append(char((v >> shift) & 0xFF));
    png.replace(16, 8, size);
    const quint32 crc = Crc32(png.mid(12, 17));  // chunk type and data of IHDR
    for (int k = 0; k < 4; ++k)
        png[29 + k] = char((crc >> (24 - 8 * k)) & 0xFF);
    std::string error;
    EXPECT_FALSE(ImportSource::FromBytes(png, "huge.png", error));
    EXPECT_EQ(error.rfind("huge.png: the picture is 40000 x 30000 pixels", 0), 0u) << error;
}

TEST(Decode, FormatListForTheFileDialog) {
    const QStringList formats = ReadableFormats();
    for (const char* f : {"bmp", "png", "jpeg", "gif", "webp", "tiff", "svg"})
        EXPECT_TRUE(formats.contains(QLatin1String(f))) << f
                                                        << " (qt6-image-formats-plugins, "
                                                           "libqt6svg6)";
    const QString filter = ImportFileFilter();
    EXPECT_TRUE(filter.startsWith("Pictures (")) << filter.toStdString();
    EXPECT_TRUE(filter.contains("*.png")) << filter.toStdString();
    EXPECT_TRUE(filter.endsWith(";;All files (*)")) << filter.toStdString();
}

// A black bar a quarter of a pixel wide at the declared 16 x 8: rendered at the fitted 128 x 64
// it is two pixels of solid black; a rendering at 16 x 8 scaled up would leave it pale grey.
const char kSvg[] =
    "<svg xmlns='http://www.w3.org/2000/svg' width='16' height='8' viewBox='0 0 16 8'>"
    "<rect x='4' y='0' width='0.25' height='8' fill='black'/>"
    "<text x='8' y='6' font-size='4'>A</text></svg>";

TEST(Decode, SvgWithoutAnApplicationIsRefusedNotFatal) {
    if (QCoreApplication::instance()) GTEST_SKIP() << "an application exists in this process";
    std::string error;
    EXPECT_FALSE(ImportSource::FromBytes(kSvg, "logo.svg", error));
    EXPECT_EQ(error, "logo.svg: cannot read this picture (SVG needs a QGuiApplication)");
}

// Last in this file: it makes the decoder application, with no display and no platform named.
TEST(Decode, SvgIsRenderedSharpAtTheTargetSize) {
    qunsetenv("QT_QPA_PLATFORM");
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    static int argc = 1;
    static char name[] = "import_qt_tests";
    static char* argv[] = {name, nullptr};
    static const auto app = MakeDecoderApplication(argc, argv);
    ASSERT_TRUE(QCoreApplication::instance());

    std::string error;
    const auto source = ImportSource::FromBytes(kSvg, "bar.svg", error);
    ASSERT_TRUE(source) << error;
    EXPECT_TRUE(source->Scalable());
    EXPECT_EQ(source->OriginalSize(), (Size{16, 8}));
    ImportOptions o;
    o.size = SizeMode::Fit;
    EXPECT_EQ(source->Rows({128, 64})->Dimensions(), (Size{128, 64}));
    const Picture fitted = ImportPicture(*source, o);
    ASSERT_EQ(fitted.width, 128);
    for (int y = 0; y < 64; ++y) {
        EXPECT_FALSE(fitted.Black(31, y));
        EXPECT_TRUE(fitted.Black(32, y));
        EXPECT_TRUE(fitted.Black(33, y));
        EXPECT_FALSE(fitted.Black(34, y));
    }
    o.size = SizeMode::Original;
    const Picture small = ImportPicture(*source, o);
    for (int y = 0; y < 8; ++y)
        EXPECT_FALSE(small.Black(4, y));
}

}  // namespace
}  // namespace pictoma
