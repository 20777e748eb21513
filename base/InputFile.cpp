#include "InputFile.h"

#include <sys/stat.h>

namespace pictoma {

std::string NotRegularFileText(const std::string& path) {
    return path + " is not a regular file";
}

std::string NonRegularInputProblem(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) return {};
    return NotRegularFileText(path);
}

}  // namespace pictoma
