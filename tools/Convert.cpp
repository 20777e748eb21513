#include "Convert.h"

#include <charconv>
#include <iostream>

#include "AtomicFile.h"
#include "BmpImage.h"
#include "Crop.h"
#include "IconSource.h"
#include "Resize.h"
#include "SourceText.h"

namespace pictoma {

namespace {

constexpr const char* kProgram = "pictoma-convert";
constexpr const char* kTooLarge = "File too large to save,please resize or crop it";

constexpr const char* kUsage =
    "Usage: pictoma-convert [OPTIONS] INPUT.bmp\n"
    "INPUT.bmp may be - for standard input.\n"
    "Converts a Windows bitmap to black and white by a brightness threshold and writes it as\n"
    "source text for the terminal (or as a PBM picture).\n"
    "\n"
    "  -t, --threshold N   brightness threshold 0..255 (default 125); a pixel at or below it is "
    "black\n"
    "  -f, --format FORM   c, basic (the Save forms), c-export, basic-export (the Export forms\n"
    "                      with show_image), pbm (binary PBM, any size); default c\n"
    "  -x N, -y N          screen position for the export forms, x 0..127, y 0..63;\n"
    "                      default: the picture centred on the 128 x 64 screen\n"
    "      --crop L,T,R,B  crop as the editor does for a selection dragged from corner (L, T)\n"
    "                      to corner (R, B), in pixels: 0 <= L, R <= width, 0 <= T, B <= height,\n"
    "                      |R - L| >= 8; whole bytes of 8 pixels across are kept\n"
    "      --resize WxH    resize as the editor does, after the crop: 8 <= W <= 128, 1 <= H <= 64\n"
    "  -o, --output FILE   write to FILE (replaced only once everything was written;\n"
    "                      a device or FIFO is written into); - or no -o: standard output\n"
    "  -h, --help          show this help\n"
    "      --version       show the version\n"
    "\n"
    "Exit status: 0 done; 1 the input cannot be used, the picture is larger than 128 x 64 for a\n"
    "text form, or the output cannot be written; 2 a usage error.\n";

bool ParseInt(const std::string& text, int& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && ptr == last && first != last;
}

int TooLarge(std::ostream& err, const std::string& name, Size size) {
    err << kProgram << ": " << name << ": " << kTooLarge << " (" << size.width << " x "
        << size.height << " pixels; at most " << SCREEN_WIDTH << " x " << SCREEN_HEIGHT << ")\n";
    return 1;
}

// Room for the headers and the palette in front of the largest picture that can be opened.
constexpr std::size_t kMaxHeaderBytes = 64 * 1024;

// Reads all of `in` into `data`; false when it holds more than `limit` bytes.
bool ReadBounded(std::istream& in, std::vector<std::uint8_t>& data, std::size_t limit) {
    constexpr std::size_t kChunk = 1 << 20;
    std::size_t used = 0;
    while (in) {
        if (used > limit) return false;
        data.resize(used + kChunk);
        in.read(reinterpret_cast<char*>(data.data() + used), std::streamsize(kChunk));
        used += std::size_t(in.gcount());
    }
    data.resize(used);
    return used <= limit;
}

}  // namespace

std::optional<ConvertOptions> ParseConvertArgs(const std::vector<std::string>& args,
                                               std::string& error) {
    ConvertOptions o;
    bool onlyFiles = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::string value;
        bool hasValue = false;
        if (!onlyFiles && arg.rfind("--", 0) == 0 && arg.find('=') != std::string::npos) {
            value = arg.substr(arg.find('=') + 1);
            arg = arg.substr(0, arg.find('='));
            hasValue = true;
        }
        auto needValue = [&](const std::string& name) -> bool {
            if (hasValue) return true;
            if (i + 1 >= args.size()) {
                error = "option " + name + " needs a value";
                return false;
            }
            value = args[++i];
            return true;
        };
        auto intIn = [&](const std::string& name, const char* what, int lo, int hi,
                         int& out) -> bool {
            if (!needValue(name)) return false;
            if (!ParseInt(value, out) || out < lo || out > hi) {
                error = "option " + name + ": " + what + " must be an integer in " +
                        std::to_string(lo) + ".." + std::to_string(hi) + " (got '" + value + "')";
                return false;
            }
            return true;
        };

        if (onlyFiles || arg.empty() || arg[0] != '-' || arg == "-") {
            if (!o.input.empty()) {
                error = "only one input file can be given ('" + o.input + "' and '" + arg + "')";
                return std::nullopt;
            }
            o.input = arg;
        } else if (arg == "--") {
            onlyFiles = true;
        } else if (arg == "-h" || arg == "--help") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else if (arg == "-t" || arg == "--threshold") {
            if (!intIn(arg, "the threshold", 0, 255, o.threshold)) return std::nullopt;
        } else if (arg == "-x") {
            int v = 0;
            if (!intIn(arg, "x", 0, 127, v)) return std::nullopt;
            o.x = v;
        } else if (arg == "-y") {
            int v = 0;
            if (!intIn(arg, "y", 0, 63, v)) return std::nullopt;
            o.y = v;
        } else if (arg == "-f" || arg == "--format") {
            if (!needValue(arg)) return std::nullopt;
            if (value == "c")
                o.form = OutputForm::C;
            else if (value == "basic")
                o.form = OutputForm::Basic;
            else if (value == "c-export")
                o.form = OutputForm::CExport;
            else if (value == "basic-export")
                o.form = OutputForm::BasicExport;
            else if (value == "pbm")
                o.form = OutputForm::Pbm;
            else {
                error = "option " + arg + ": the format must be one of c, basic, c-export, " +
                        "basic-export, pbm (got '" + value + "')";
                return std::nullopt;
            }
        } else if (arg == "--crop") {
            if (!needValue(arg)) return std::nullopt;
            auto parsed = ParseCropArg(value);
            if (!parsed) {
                error = parsed.error;
                return std::nullopt;
            }
            o.crop = parsed.value;
        } else if (arg == "--resize") {
            if (!needValue(arg)) return std::nullopt;
            auto parsed = ParseResizeArg(value);
            if (!parsed) {
                error = parsed.error;
                return std::nullopt;
            }
            o.resize = parsed.value;
        } else if (arg == "-o" || arg == "--output") {
            if (!needValue(arg)) return std::nullopt;
            if (value.empty()) {
                error = "option " + arg + " needs a file name";
                return std::nullopt;
            }
            o.output = value;
        } else {
            error = "unknown option '" + args[i] + "'";
            return std::nullopt;
        }
    }
    if (o.input.empty() && !o.help && !o.version) {
        error = "no input file given";
        return std::nullopt;
    }
    return o;
}

int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return RunConvert(args, std::cin, out, err);
}

int RunConvert(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err) {
    std::string error;
    const auto parsed = ParseConvertArgs(args, error);
    if (!parsed) {
        err << kProgram << ": " << error << "\nTry 'pictoma-convert --help' for more.\n";
        return 2;
    }
    const ConvertOptions& o = *parsed;
    if (o.help) {
        out << kUsage;
        return 0;
    }
    if (o.version) {
        out << "pictoma-convert 1.0\n";
        return 0;
    }

    const bool stdinInput = o.input == "-";
    const std::string name = stdinInput ? "standard input" : o.input;
    CBmpImage image;
    image.SetThreshold(o.threshold);
    // Standard input is read into memory first (a pipe cannot seek), bounded like a picture.
    std::vector<std::uint8_t> piped;
    if (stdinInput) {
        if (!ReadBounded(in, piped, kMaxPictureBytes + kMaxHeaderBytes)) {
            err << kProgram << ": standard input: more than " << (kMaxPictureBytes >> 20)
                << " MiB, larger than any bitmap that can be opened\n";
            return 1;
        }
    }
    if (!stdinInput) image.SetFileName(o.input);
    // A refusal of the bitmap names the input; a file that cannot be opened names itself.
    if (const Status header = stdinInput ? image.CheckMemory(piped) : image.ReadHeader(); !header) {
        err << kProgram << ": ";
        const std::string& m = header.message();
        const bool namesItself = !stdinInput && (m.rfind(o.input, 0) == 0 ||
                                                 m.rfind("Cannot open \"" + o.input, 0) == 0);
        if (!namesItself) err << name << ": ";
        err << header.message() << '\n';
        return 1;
    }
    // A text form takes at most the screen's size: say so before converting a huge picture.
    const bool textForm = o.form != OutputForm::Pbm;
    if (textForm && !o.crop && !o.resize) {
        const Size size = image.GetSize();
        if (TooLargeForScreen(size.width, size.height)) return TooLarge(err, name, size);
    }
    image.Convert();
    // The picture is taken over, cropped in place and resized: never two full-size copies.
    Picture edited = image.TakePicture();
    if (o.crop) {
        const Size size{edited.width, edited.height};
        const std::string bad = CheckCropArg(*o.crop, size);
        if (!bad.empty()) {
            err << kProgram << ": " << bad << "\n";
            return 2;
        }
        Crop(edited, o.crop->Start(), o.crop->End());
    }
    if (o.resize) edited = Resize(edited, *o.resize);
    std::span<const std::uint8_t> bits = edited.bytes;
    const Size size{edited.width, edited.height};

    // The result in parts, so that a PBM picture is written straight from the reader's bytes.
    std::string head, text;
    std::string_view body;
    if (o.form == OutputForm::Pbm) {
        head = "P4\n" + std::to_string(size.width) + " " + std::to_string(size.height) + "\n";
        body = std::string_view(reinterpret_cast<const char*>(bits.data()), bits.size());
    } else {
        if (TooLargeForScreen(size.width, size.height)) return TooLarge(err, name, size);
        const int x = o.x.value_or((SCREEN_WIDTH - size.width) / 2);
        const int y = o.y.value_or((SCREEN_HEIGHT - size.height) / 2);
        switch (o.form) {
            case OutputForm::C:
                text = MakeSaveTextC(bits, size.width);
                break;
            case OutputForm::Basic:
                text = MakeSaveTextBasic(bits, size.width);
                break;
            case OutputForm::CExport:
                text = MakeIconSourceC(bits, size.width, size.height, x, y);
                break;
            case OutputForm::BasicExport:
                text = MakeIconSourceBasic(bits, size.width, size.height, x, y);
                break;
            case OutputForm::Pbm:
                break;
        }
        body = text;
    }
    const std::string_view parts[] = {head, body};

    if (o.output.empty() || o.output == "-") {
        for (std::string_view part : parts)
            out.write(part.data(), std::streamsize(part.size()));
        out.flush();
        if (!out) {
            err << kProgram << ": cannot write to standard output\n";
            return 1;
        }
        return 0;
    }
    const std::string failure = WriteFileAtomically(o.output, parts);
    if (!failure.empty()) {
        err << kProgram << ": " << failure << '\n';
        return 1;
    }
    return 0;
}

}  // namespace pictoma
