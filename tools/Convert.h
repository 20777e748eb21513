#pragma once
// pictoma-convert: a picture through the editor's pipeline (a bitmap read and thresholded as the
// editor's Open does, any other picture format imported, or source text read back; then crop and
// resize) to one of the editor's text forms, a PBM or a PNG picture, for batch use and build
// pipelines.

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Brightness.h"
#include "CropResizeArgs.h"
#include "ImportOptions.h"
#include "Pipeline.h"

namespace pictoma {

enum class OutputForm { C, Basic, CExport, BasicExport, Pbm, Png };

struct ConvertOptions {
    std::vector<std::string> inputs;
    std::string output;     // empty: standard output
    std::string outputDir;  // -O: one file per input there
    int threshold = DEFAULT_THRESHOLD;
    OutputForm form = OutputForm::C;
    std::optional<int> x, y;       // export position; default centred on the screen
    std::optional<CropArgs> crop;  // applied after the conversion, then the resize
    std::optional<Size> resize;
    // The import pipeline: --import forces it for bitmaps too; any of its options does as well.
    bool import = false;
    bool importOption = false;
    ImportOptions importOptions;
    std::optional<Size> size;  // --size: the import's size, or a source text's picture size
    bool screen = false;       // -f png: the 128 x 64 screen with the picture at the position
    int scale = 1;             // -f png: pixels per picture pixel
    bool help = false;
    bool version = false;
};

// Parses the arguments (without the program name). On a usage error returns nullopt and sets
// `error` to a message that names the option and what it accepts.
std::optional<ConvertOptions> ParseConvertArgs(const std::vector<std::string>& args,
                                               std::string& error);

// What the converter takes from the Qt layer: decoding any picture format, and PNG writing. A
// missing one makes those inputs and that form fail with a message.
struct ConvertServices {
    // Decodes the file `name` (or, when `bytes` is given, those bytes under that name); null, with
    // `error` set to the whole message, when it cannot.
    std::function<std::shared_ptr<const PictureSource>(
        const std::string& name, const std::vector<std::uint8_t>* bytes, std::string& error)>
        decode;
    // The picture as a PNG file's bytes, each pixel scale x scale; empty when it cannot.
    std::function<std::string(const Picture& picture, int scale)> png;
};

// Runs the whole program: writes the result to `out` (or the output file) and messages to `err`.
// Returns the exit status: 0 done, 1 an input unusable / picture too large / output not written
// (the other inputs are still converted), 2 usage error.
int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// The same, with standard input (the input "-") read from `in`, and the Qt layer's services.
int RunConvert(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err, const ConvertServices& services = {});

}  // namespace pictoma
