#pragma once
// pictoma-convert: a bitmap through the editor's pipeline (read, threshold, crop, resize) to one
// of the editor's text forms or to a PBM picture, for batch use and build pipelines.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "Brightness.h"
#include "CropResizeArgs.h"

namespace pictoma {

enum class OutputForm { C, Basic, CExport, BasicExport, Pbm };

struct ConvertOptions {
    std::string input;
    std::string output;  // empty: standard output
    int threshold = DEFAULT_THRESHOLD;
    OutputForm form = OutputForm::C;
    std::optional<int> x, y;       // export position; default centred on the screen
    std::optional<CropArgs> crop;  // applied after the conversion, then the resize
    std::optional<Size> resize;
    bool help = false;
    bool version = false;
};

// Parses the arguments (without the program name). On a usage error returns nullopt and sets
// `error` to a message that names the option and what it accepts.
std::optional<ConvertOptions> ParseConvertArgs(const std::vector<std::string>& args,
                                               std::string& error);

// Runs the whole program: writes the result to `out` (or the output file) and messages to `err`.
// Returns the exit status: 0 done, 1 input unusable / picture too large / output not written,
// 2 usage error.
int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// The same, with standard input (the input "-") read from `in`.
int RunConvert(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err);

}  // namespace pictoma
