#pragma once
// Checks made before a named input is opened, so that nothing waits forever on a FIFO or reads a
// device as if it were a file.

#include <string>

namespace pictoma {

// The message for an input that exists but is not a regular file (a FIFO, a device, a socket).
std::string NotRegularFileText(const std::string& path);

// Empty when `path` names a regular file or nothing at all (opening it then says why); otherwise
// the message for what it is: "it is a folder" style texts are left to the caller, so a folder
// gives an empty string too.
std::string NonRegularInputProblem(const std::string& path);

}  // namespace pictoma
