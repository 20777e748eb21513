#include "InputFile.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace pictoma {

std::string NotRegularFileText(const std::string& path) {
    return path + " is not a regular file";
}

std::string NonRegularInputProblem(const std::string& path) {
#ifndef _WIN32
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) return {};
    return NotRegularFileText(path);
#else
    // Not checked on Windows, where no path names a FIFO; device names such as COM1 pass.
    (void)path;
    return {};
#endif
}

}  // namespace pictoma
