#include "Convert.h"

#include <iostream>
#include <variant>

#include "AtomicFile.h"
#include "BmpImage.h"
#include "Crop.h"
#include "IconSource.h"
#include "Resize.h"
#include "SourceRows.h"
#include "SourceText.h"

namespace pictoma {

namespace {

constexpr const char* kProgram = "pictoma-convert";

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

// One command-line option: its names, whether it takes a value, and what it does with it (an
// empty string, or the usage message that names the option and what it accepts).
struct OptionSpec {
    const char* shortName;  // "-t", or null
    const char* longName;   // "--threshold", or null
    bool takesValue;
    std::string (*apply)(ConvertOptions& o, const std::string& name, const std::string& value);
};

std::string IntOption(const std::string& name, const char* what, int lo, int hi,
                      const std::string& value, int& out) {
    if (ParseInt(value, out, SignRule::PlusAllowed) == IntParse::Ok && out >= lo && out <= hi)
        return {};
    return "option " + name + ": " + what + " must be an integer in " + std::to_string(lo) + ".." +
           std::to_string(hi) + " (got '" + value + "')";
}

std::string FormatOption(ConvertOptions& o, const std::string& name, const std::string& value) {
    static constexpr std::pair<const char*, OutputForm> kForms[] = {
        {"c", OutputForm::C},
        {"basic", OutputForm::Basic},
        {"c-export", OutputForm::CExport},
        {"basic-export", OutputForm::BasicExport},
        {"pbm", OutputForm::Pbm}};
    for (const auto& [text, form] : kForms) {
        if (value == text) {
            o.form = form;
            return {};
        }
    }
    return "option " + name +
           ": the format must be one of c, basic, c-export, basic-export, pbm (got '" + value +
           "')";
}

constexpr OptionSpec kOptions[] = {
    {"-h", "--help", false,
     [](ConvertOptions& o, const std::string&, const std::string&) {
         o.help = true;
         return std::string();
     }},
    {nullptr, "--version", false,
     [](ConvertOptions& o, const std::string&, const std::string&) {
         o.version = true;
         return std::string();
     }},
    {"-t", "--threshold", true,
     [](ConvertOptions& o, const std::string& name, const std::string& value) {
         return IntOption(name, "the threshold", 0, 255, value, o.threshold);
     }},
    {"-x", nullptr, true,
     [](ConvertOptions& o, const std::string& name, const std::string& value) {
         int v = 0;
         std::string bad = IntOption(name, "x", 0, kExportMaxX, value, v);
         if (bad.empty()) o.x = v;
         return bad;
     }},
    {"-y", nullptr, true,
     [](ConvertOptions& o, const std::string& name, const std::string& value) {
         int v = 0;
         std::string bad = IntOption(name, "y", 0, kExportMaxY, value, v);
         if (bad.empty()) o.y = v;
         return bad;
     }},
    {"-f", "--format", true, FormatOption},
    {nullptr, "--crop", true,
     [](ConvertOptions& o, const std::string&, const std::string& value) {
         auto parsed = ParseCropArg(value);
         if (parsed) o.crop = parsed.value;
         return parsed.error;
     }},
    {nullptr, "--resize", true,
     [](ConvertOptions& o, const std::string&, const std::string& value) {
         auto parsed = ParseResizeArg(value);
         if (parsed) o.resize = parsed.value;
         return parsed.error;
     }},
    {"-o", "--output", true,
     [](ConvertOptions& o, const std::string& name, const std::string& value) {
         if (value.empty()) return "option " + name + " needs a file name";
         o.output = value;
         return std::string();
     }},
};

const OptionSpec* FindOption(const std::string& name) {
    for (const OptionSpec& spec : kOptions) {
        if ((spec.shortName && name == spec.shortName) || (spec.longName && name == spec.longName))
            return &spec;
    }
    return nullptr;
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

// Where a run ends early: the exit status, after its message was printed.
struct Stop {
    int status;
};

int TooLarge(std::ostream& err, const std::string& name, Size size) {
    err << kProgram << ": " << name << ": " << kMsgFileTooLarge << " (" << size.width << " x "
        << size.height << " pixels; at most " << SCREEN_WIDTH << " x " << SCREEN_HEIGHT << ")\n";
    return 1;
}

// Reads the input's bitmap and converts it. A text form without --crop or --resize refuses a
// picture larger than the screen from its header, before converting it.
std::variant<Picture, Stop> ReadPicture(const ConvertOptions& o, std::istream& in,
                                        std::ostream& err) {
    const bool stdinInput = o.input == "-";
    const std::string name = stdinInput ? "standard input" : o.input;
    CBmpImage image;
    image.SetThreshold(o.threshold);
    // Standard input is read into memory first (a pipe cannot seek), bounded like a picture.
    std::vector<std::uint8_t> piped;
    if (stdinInput && !ReadBounded(in, piped, kMaxPictureBytes + kMaxHeaderBytes)) {
        err << kProgram << ": standard input: more than " << (kMaxPictureBytes >> 20)
            << " MiB, larger than any bitmap that can be opened\n";
        return Stop{1};
    }
    image.SetFileName(o.input);
    if (const Status header = stdinInput ? image.CheckMemory(piped) : image.ReadHeader(); !header) {
        // A refusal of the bitmap gets the input's name; a file that cannot be opened names itself.
        const std::string& m = header.message();
        const bool namesItself = !stdinInput && (m.rfind(o.input, 0) == 0 ||
                                                 m.rfind("Cannot open \"" + o.input, 0) == 0);
        err << kProgram << ": " << (namesItself ? "" : name + ": ") << m << '\n';
        return Stop{1};
    }
    if (o.form != OutputForm::Pbm && !o.crop && !o.resize) {
        const Size size = image.GetSize();
        if (TooLargeForScreen(size.width, size.height)) return Stop{TooLarge(err, name, size)};
    }
    image.Convert();
    return image.TakePicture();
}

// Crops in place, then resizes: never two full-size copies of the picture.
std::optional<Stop> Edit(const ConvertOptions& o, Picture& picture, std::ostream& err) {
    if (o.crop) {
        const std::string bad = CheckCropArg(*o.crop, {picture.width, picture.height});
        if (!bad.empty()) {
            err << kProgram << ": " << bad << "\n";
            return Stop{2};
        }
        Crop(picture, o.crop->Start(), o.crop->End());
    }
    if (o.resize) picture = Resize(picture, *o.resize);
    return std::nullopt;
}

// The text form of the picture, or the PBM header (the PBM body is the picture's own bytes).
std::variant<std::string, Stop> Render(const ConvertOptions& o, const Picture& picture,
                                       std::ostream& err) {
    if (o.form == OutputForm::Pbm)
        return "P4\n" + std::to_string(picture.width) + " " + std::to_string(picture.height) + "\n";
    if (TooLargeForScreen(picture.width, picture.height))
        return Stop{TooLarge(err, o.input == "-" ? "standard input" : o.input,
                             {picture.width, picture.height})};
    const ScreenPosition centre = CentredPosition(picture.width, picture.height);
    const int x = o.x.value_or(centre.x), y = o.y.value_or(centre.y);
    switch (o.form) {
        case OutputForm::C:
            return MakeSaveTextC(picture);
        case OutputForm::Basic:
            return MakeSaveTextBasic(picture);
        case OutputForm::CExport:
            return MakeIconSourceC(picture, x, y);
        case OutputForm::BasicExport:
            return MakeIconSourceBasic(picture, x, y);
        case OutputForm::Pbm:
            break;
    }
    return std::string();
}

int Write(const ConvertOptions& o, std::span<const std::string_view> parts, std::ostream& out,
          std::ostream& err) {
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

}  // namespace

std::optional<ConvertOptions> ParseConvertArgs(const std::vector<std::string>& args,
                                               std::string& error) {
    ConvertOptions o;
    bool onlyFiles = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (onlyFiles || arg.empty() || arg[0] != '-' || arg == "-") {
            if (!o.input.empty()) {
                error = "only one input file can be given ('" + o.input + "' and '" + arg + "')";
                return std::nullopt;
            }
            o.input = arg;
            continue;
        }
        if (arg == "--") {
            onlyFiles = true;
            continue;
        }
        // "--name=value" gives a long option its value in the same argument.
        std::optional<std::string> value;
        if (arg.rfind("--", 0) == 0 && arg.find('=') != std::string::npos) {
            value = arg.substr(arg.find('=') + 1);
            arg.resize(arg.find('='));
        }
        const OptionSpec* spec = FindOption(arg);
        if (!spec) {
            error = "unknown option '" + args[i] + "'";
            return std::nullopt;
        }
        if (spec->takesValue && !value) {
            if (i + 1 >= args.size()) {
                error = "option " + arg + " needs a value";
                return std::nullopt;
            }
            value = args[++i];
        }
        error = spec->apply(o, arg, value.value_or(std::string()));
        if (!error.empty()) return std::nullopt;
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
        out << "pictoma-convert " PICTOMA_VERSION "\n";
        return 0;
    }

    auto read = ReadPicture(o, in, err);
    if (const Stop* stop = std::get_if<Stop>(&read)) return stop->status;
    Picture& picture = std::get<Picture>(read);
    if (const auto stop = Edit(o, picture, err)) return stop->status;
    const auto rendered = Render(o, picture, err);
    if (const Stop* stop = std::get_if<Stop>(&rendered)) return stop->status;
    const std::string& text = std::get<std::string>(rendered);
    // A PBM picture is written straight from the picture's bytes, after its header.
    const std::string_view body =
        o.form == OutputForm::Pbm
            ? std::string_view(reinterpret_cast<const char*>(picture.bytes.data()),
                               picture.bytes.size())
            : std::string_view();
    const std::string_view parts[] = {text, body};
    return Write(o, parts, out, err);
}

}  // namespace pictoma
