#pragma once
// Writing a whole file so that a failure never leaves a half-written or lost target.

#include <span>
#include <string>
#include <string_view>

namespace pictoma {

// Writes `data` byte for byte to a temporary file in the folder of `path`, then renames it over
// `path`. Returns an empty string on success; otherwise a message that names the file and says
// what failed, and the old file (if any) is left intact. An existing file keeps its permissions.
std::string WriteFileAtomically(const std::string& path, std::string_view data);
// The same for data given in parts, written one after the other.
std::string WriteFileAtomically(const std::string& path, std::span<const std::string_view> parts);

}  // namespace pictoma
