#include "Convert.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <variant>

#include "AtomicFile.h"
#include "BmpImage.h"
#include "Crop.h"
#include "IconSource.h"
#include "InputFile.h"
#include "Resize.h"
#include "ScreenLayout.h"
#include "SourceReader.h"
#include "SourceRows.h"
#include "SourceText.h"

namespace pictoma {

namespace {

constexpr const char* kProgram = "pictoma-convert";

constexpr const char* kUsageHead =
    "Usage: pictoma-convert [OPTIONS] INPUT...\n"
    "INPUT may be - for standard input. A Windows bitmap (a file that starts with \"BM\") is read\n"
    "as the editor's Open reads it; source text this program wrote (the four forms below, hand\n"
    "edits included) is read back; any other picture (PNG, JPEG, GIF, WebP, TIFF, SVG, compressed\n"
    "bitmaps, ...) is imported. The picture is turned black and white by a brightness threshold\n"
    "and written as source text for the terminal, or as a PBM or PNG picture.\n"
    "\n"
    "  -t, --threshold N   brightness threshold 0..255 (default 125); a pixel at or below it is "
    "black\n"
    "  -f, --format FORM   c, basic (the Save forms), c-export, basic-export (the Export forms\n"
    "                      with show_image), pbm (binary PBM, any size), png; default c\n"
    "  -x N, -y N          screen position for the export forms and --screen, x 0..127, y 0..63;\n"
    "                      default: the picture centred on the 128 x 64 screen\n"
    "      --crop L,T,R,B  crop as the editor does for a selection dragged from corner (L, T)\n"
    "                      to corner (R, B), in pixels: 0 <= L, R <= width, 0 <= T, B <= height,\n"
    "                      |R - L| >= 8; whole bytes of 8 pixels across are kept\n"
    "      --resize WxH    resize as the editor does, after the crop: 8 <= W <= 128, 1 <= H <= 64\n"
    "      --import        import a bitmap through the picture pipeline too (so RLE, bit-field\n"
    "                      and OS/2 bitmaps work, and one-bit files by their palette colours)\n"
    "      --fit           import: scale to fit 128 x 64, keeping the proportions\n"
    "      --size WxH      import: scale to exactly W x H (1..32768 each); source text: the\n"
    "                      picture's size when its rows do not tell it\n"
    "      --dither D      import: none (default), floyd-steinberg, atkinson or bayer\n"
    "      --invert        import: every pixel the other way round\n"
    "      --background B  import: what transparent parts lie on, white (default) or black\n"
    "      --screen        -f png: the 128 x 64 screen with the picture at the export position\n"
    "      --scale N       -f png: N x N screen pixels per pixel, 1..16 (default 1)\n"
    "  -o, --output FILE   write to FILE (replaced only once everything was written;\n"
    "                      a device or FIFO is written into); - or no -o: standard output\n"
    "  -O, --output-dir DIR  write DIR/<input name>.txt (.pbm, .png) for each input; needed for\n"
    "                      several inputs\n"
    "  -h, --help          show this help\n"
    "      --version       show the version\n"
    "\n"
    "Import pipeline: composite over the background, c' = (c*a + bg*(255 - a) + 127) / 255;\n"
    "scale by area-weighted means (only with --fit or --size); brightness\n"
    "int((0.51 g + 0.17 b) + 0.32 r); then the threshold or a dither:\n";

constexpr const char* kUsageTail =
    "\n"
    "Exit status: 0 done; 1 an input cannot be used, the picture is larger than 128 x 64 for a\n"
    "text form, or an output cannot be written (the other inputs are still converted); 2 a usage\n"
    "error.\n";

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
        {"pbm", OutputForm::Pbm},
        {"png", OutputForm::Png}};
    for (const auto& [text, form] : kForms) {
        if (value == text) {
            o.form = form;
            return {};
        }
    }
    return "option " + name +
           ": the format must be one of c, basic, c-export, basic-export, pbm, png (got '" + value +
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
    {nullptr, "--import", false,
     [](ConvertOptions& o, const std::string&, const std::string&) {
         o.import = true;
         return std::string();
     }},
    {nullptr, "--fit", false,
     [](ConvertOptions& o, const std::string&, const std::string&) {
         o.importOption = true;
         o.importOptions.size = SizeMode::Fit;
         return std::string();
     }},
    {nullptr, "--size", true,
     [](ConvertOptions& o, const std::string& name, const std::string& value) {
         o.size = ParseSize(value);
         if (!o.size)
             return "option " + name + ": expected WxH, each 1..32768 (got '" + value + "')";
         return std::string();
     }},
    {nullptr, "--dither", true,
     [](ConvertOptions& o, const std::string& name, const std::string& value) {
         const std::optional<Dither> d = ParseDither(value);
         if (!d)
             return "option " + name +
                    ": the dither must be one of none, floyd-steinberg, atkinson, bayer (got '" +
                    value + "')";
         o.importOption = true;
         o.importOptions.dither = *d;
         return std::string();
     }},
    {nullptr, "--invert", false,
     [](ConvertOptions& o, const std::string&, const std::string&) {
         o.importOption = true;
         o.importOptions.invert = true;
         return std::string();
     }},
    {nullptr, "--background", true,
     [](ConvertOptions& o, const std::string& name, const std::string& value) {
         const std::optional<Background> b = ParseBackground(value);
         if (!b)
             return "option " + name + ": the background must be white or black (got '" + value +
                    "')";
         o.importOption = true;
         o.importOptions.background = *b;
         return std::string();
     }},
    {nullptr, "--screen", false,
     [](ConvertOptions& o, const std::string&, const std::string&) {
         o.screen = true;
         return std::string();
     }},
    {nullptr, "--scale", true,
     [](ConvertOptions& o, const std::string& name, const std::string& value) {
         return IntOption(name, "the scale", 1, 16, value, o.scale);
     }},
    {"-O", "--output-dir", true,
     [](ConvertOptions& o, const std::string& name, const std::string& value) {
         if (value.empty()) return "option " + name + " needs a folder name";
         o.outputDir = value;
         return std::string();
     }},
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

// One input being converted: its name as given, as shown, and where its result goes.
struct Job {
    std::string input;
    std::string name;    // "standard input" for "-"
    std::string output;  // empty or "-": standard output
};

// Reads up to `limit` bytes of the file `path` (all of it when it is shorter); false, after a
// message naming the file, when it cannot be read.
bool ReadHead(const std::string& path, std::vector<std::uint8_t>& data, std::size_t limit,
              std::ostream& err) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        err << kProgram << ": Cannot open \"" << path << "\": " << std::strerror(errno) << '\n';
        return false;
    }
    // Never more than the file holds: a short file must not cost a buffer of the whole limit.
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    file.seekg(0);
    const std::size_t want =
        size > 0 ? std::min(limit, std::size_t(size)) : std::min(limit, kSourceSniffBytes);
    data.resize(want);
    file.read(reinterpret_cast<char*>(data.data()), std::streamsize(want));
    data.resize(std::size_t(file.gcount()));
    return true;
}

std::string_view AsText(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Writes the whole converted bitmap out as its rows are decided, instead of making a picture; gives
// the exit status.
using BitmapStream = std::function<int(CBmpImage& image)>;

// The bitmap reader, as the editor's Open reads. A text form without --crop or --resize refuses a
// picture larger than the screen from its header, before converting it. With a `stream` the
// bitmap goes there and the result is its status.
std::variant<Picture, Stop> ReadBitmap(const ConvertOptions& o, const Job& job,
                                       const std::vector<std::uint8_t>* piped,
                                       const BitmapStream* stream, std::ostream& err) {
    CBmpImage image;
    image.SetThreshold(o.threshold);
    image.SetFileName(job.input);
    // The input was opened and read from already (ReadPicture), so what fails here is the bitmap.
    if (const Status header = piped ? image.CheckMemory(*piped) : image.ReadHeader(); !header) {
        const std::string& m = header.message();
        err << kProgram << ": " << job.name << ": " << m;
        if (m == kCompressed) err << " (use --import to decode it)";
        err << '\n';
        return Stop{1};
    }
    if (o.form != OutputForm::Pbm && o.form != OutputForm::Png && !o.crop && !o.resize) {
        const Size size = image.GetSize();
        if (TooLargeForScreen(size.width, size.height)) return Stop{TooLarge(err, job.name, size)};
    }
    if (stream) return Stop{(*stream)(image)};
    image.Convert();
    return image.TakePicture();
}

// Source text this program wrote, read back.
std::variant<Picture, Stop> ReadSource(const ConvertOptions& o, const Job& job,
                                       const std::vector<std::uint8_t>& text, std::ostream& err) {
    const SourceReadResult read = ReadSourceText(AsText(text), job.name, o.size);
    if (!read) {
        err << kProgram << ": " << read.message();
        if (read.sizeNeeded()) err << " (give it with --size WxH)";
        err << '\n';
        return Stop{1};
    }
    return read.source().picture;
}

// Any other picture format, through the import pipeline.
std::variant<Picture, Stop> ReadImported(const ConvertOptions& o, const Job& job,
                                         const std::vector<std::uint8_t>* piped,
                                         const ConvertServices& services, std::ostream& err) {
    std::string error;
    std::shared_ptr<const PictureSource> source;
    if (services.decode)
        source = services.decode(job.name, piped, error);
    else
        error = job.name + ": cannot read this picture (this build decodes bitmaps only)";
    if (!source) {
        err << kProgram << ": " << error << '\n';
        return Stop{1};
    }
    ImportOptions options = o.importOptions;
    options.threshold = o.threshold;
    if (o.size) {
        options.size = SizeMode::Custom;
        options.custom = *o.size;
    }
    return ImportPicture(*source, Clamped(options));
}

// Reads one input by what it holds: a bitmap, source text, or any other picture.
std::variant<Picture, Stop> ReadPicture(const ConvertOptions& o, const Job& job, std::istream& in,
                                        const ConvertServices& services, const BitmapStream* stream,
                                        std::ostream& err) {
    const bool piped = job.input == "-";
    std::vector<std::uint8_t> bytes;
    if (piped) {
        // Standard input is read into memory first (a pipe cannot seek), bounded like a picture.
        if (!ReadBounded(in, bytes, kMaxPictureBytes + kMaxHeaderBytes)) {
            err << kProgram << ": standard input: more than " << (kMaxPictureBytes >> 20)
                << " MiB, larger than any picture that can be opened\n";
            return Stop{1};
        }
    } else if (const std::string problem = NonRegularInputProblem(job.input); !problem.empty()) {
        err << kProgram << ": " << problem << '\n';
        return Stop{1};
    } else if (!ReadHead(job.input, bytes, 2, err)) {
        // Two bytes tell a bitmap, the common case, which the reader then reads itself.
        return Stop{1};
    }
    const bool bitmap = bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
    if (bitmap && !o.import && !o.importOption)
        return ReadBitmap(o, job, piped ? &bytes : nullptr, stream, err);
    // Only other inputs need the longer look that tells source text.
    if (!bitmap && !piped && !ReadHead(job.input, bytes, kSourceSniffBytes, err)) return Stop{1};
    if (!bitmap && StartsLikeSourceText(AsText(bytes))) {
        if (!piped && !ReadHead(job.input, bytes, kMaxPictureBytes, err)) return Stop{1};
        return ReadSource(o, job, bytes, err);
    }
    return ReadImported(o, job, piped ? &bytes : nullptr, services, err);
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

std::string PbmHeader(int width, int height) {
    return "P4\n" + std::to_string(width) + " " + std::to_string(height) + "\n";
}

// The written form of the picture: its text, the PBM header (the PBM body is the picture's own
// bytes), or the PNG file.
std::variant<std::string, Stop> Render(const ConvertOptions& o, const Job& job,
                                       const Picture& picture, const ConvertServices& services,
                                       std::ostream& err) {
    if (o.form == OutputForm::Pbm) return PbmHeader(picture.width, picture.height);
    const ScreenPosition centre = CentredPosition(picture.width, picture.height);
    const int x = o.x.value_or(centre.x), y = o.y.value_or(centre.y);
    if (o.form == OutputForm::Png) {
        Picture shown = picture;
        if (o.screen) {
            // The screen as the export text draws it, decoded from that text.
            if (TooLargeForScreen(picture.width, picture.height))
                return Stop{TooLarge(err, job.name, {picture.width, picture.height})};
            const ScreenResult placed = LayOutExportText(MakeIconSourceC(picture, x, y), job.name);
            if (!placed) {
                err << kProgram << ": " << placed.message() << '\n';
                return Stop{1};
            }
            shown = placed.layout().screen;
        }
        std::string png = services.png ? services.png(shown, o.scale) : std::string();
        if (png.empty()) {
            err << kProgram << ": " << job.name << ": cannot write a PNG picture in this build\n";
            return Stop{1};
        }
        return png;
    }
    if (TooLargeForScreen(picture.width, picture.height))
        return Stop{TooLarge(err, job.name, {picture.width, picture.height})};
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
        case OutputForm::Png:
            break;
    }
    return std::string();
}

// Writes what `produce` makes to the output: standard output, or a file written safely.
int Write(const std::string& output, const std::function<void(const PutData& put)>& produce,
          std::ostream& out, std::ostream& err) {
    if (output.empty() || output == "-") {
        produce([&](std::string_view piece) {
            out.write(piece.data(), std::streamsize(piece.size()));
        });
        out.flush();
        if (!out) {
            err << kProgram << ": cannot write to standard output\n";
            return 1;
        }
        return 0;
    }
    const std::string failure = WriteFileAtomically(output, produce);
    if (!failure.empty()) {
        err << kProgram << ": " << failure << '\n';
        return 1;
    }
    return 0;
}

// A PBM of a whole bitmap, written as the reader decides its rows, a few dozen kilobytes at a
// time: the picture is never held, so its memory is never asked for.
int StreamPbm(CBmpImage& image, const std::string& output, std::ostream& out, std::ostream& err) {
    constexpr std::size_t kPiece = 64 * 1024;
    const Size size = image.GetSize();
    const auto rowBytes = std::size_t(mono::BytesPerRow(size.width));
    return Write(
        output,
        [&](const PutData& put) {
            put(PbmHeader(size.width, size.height));
            std::string piece;
            piece.reserve(kPiece + rowBytes);
            image.ConvertRows([&](const std::uint8_t* row) {
                piece.append(reinterpret_cast<const char*>(row), rowBytes);
                if (piece.size() >= kPiece) {
                    put(piece);
                    piece.clear();
                }
            });
            put(piece);
        },
        out, err);
}

int ConvertOne(const ConvertOptions& o, const Job& job, std::istream& in, std::ostream& out,
               std::ostream& err, const ConvertServices& services) {
    const BitmapStream stream = [&](CBmpImage& image) {
        return StreamPbm(image, job.output, out, err);
    };
    const bool streamed = o.form == OutputForm::Pbm && !o.crop && !o.resize;
    auto read = ReadPicture(o, job, in, services, streamed ? &stream : nullptr, err);
    if (const Stop* stop = std::get_if<Stop>(&read)) return stop->status;
    Picture& picture = std::get<Picture>(read);
    if (const auto stop = Edit(o, picture, err)) return stop->status;
    const auto rendered = Render(o, job, picture, services, err);
    if (const Stop* stop = std::get_if<Stop>(&rendered)) return stop->status;
    const std::string& text = std::get<std::string>(rendered);
    // A PBM picture is written straight from the picture's bytes, after its header.
    const std::string_view body =
        o.form == OutputForm::Pbm
            ? std::string_view(reinterpret_cast<const char*>(picture.bytes.data()),
                               picture.bytes.size())
            : std::string_view();
    return Write(
        job.output,
        [&](const PutData& put) {
            put(text);
            put(body);
        },
        out, err);
}

// DIR/<input name without its extension>.txt (.pbm, .png).
std::string OutputInFolder(const ConvertOptions& o, const std::string& input) {
    const std::string stem =
        input == "-" ? std::string("stdin") : std::filesystem::path(input).stem().string();
    const char* ext = o.form == OutputForm::Pbm   ? ".pbm"
                      : o.form == OutputForm::Png ? ".png"
                                                  : ".txt";
    return (std::filesystem::path(o.outputDir) / (stem + ext)).string();
}

}  // namespace

std::optional<ConvertOptions> ParseConvertArgs(const std::vector<std::string>& args,
                                               std::string& error) {
    ConvertOptions o;
    bool onlyFiles = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (onlyFiles || arg.empty() || arg[0] != '-' || arg == "-") {
            o.inputs.push_back(arg);
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
    if (o.inputs.empty() && !o.help && !o.version) {
        error = "no input file given";
        return std::nullopt;
    }
    if (!o.output.empty() && !o.outputDir.empty()) {
        error = "-o and -O cannot be given together";
        return std::nullopt;
    }
    if (o.screen && o.form != OutputForm::Png) {
        error = "--screen needs -f png";
        return std::nullopt;
    }
    return o;
}

int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return RunConvert(args, std::cin, out, err);
}

int RunConvert(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err, const ConvertServices& services) {
    std::string error;
    const auto parsed = ParseConvertArgs(args, error);
    if (!parsed) {
        err << kProgram << ": " << error << "\nTry 'pictoma-convert --help' for more.\n";
        return 2;
    }
    const ConvertOptions& o = *parsed;
    if (o.help) {
        out << kUsageHead << kDitherHelp << kUsageTail;
        return 0;
    }
    if (o.version) {
        out << "pictoma-convert " PICTOMA_VERSION "\n";
        return 0;
    }

    if (o.inputs.size() > 1 && o.outputDir.empty()) {
        err << kProgram << ": several inputs need -O DIR (one output file each)\n"
            << "Try 'pictoma-convert --help' for more.\n";
        return 2;
    }
    int status = 0;
    for (const std::string& input : o.inputs) {
        Job job{input, input == "-" ? "standard input" : input,
                o.outputDir.empty() ? o.output : OutputInFolder(o, input)};
        const int one = ConvertOne(o, job, in, out, err, services);
        // A usage error found on the way (a crop outside this picture) ends the run as such.
        if (one == 2) return 2;
        if (one != 0) status = 1;
    }
    return status;
}

}  // namespace pictoma
