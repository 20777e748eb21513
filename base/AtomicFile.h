#pragma once
// Writing a whole file so that a failure never leaves a half-written or lost target.

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace pictoma {

// Writes `data` byte for byte to `path`. A regular file (or a new name) is written to a temporary
// file in its folder, flushed to disk and renamed over it, keeping the old file's permission bits,
// owner and group; a symbolic link is followed and its target replaced the same way; an existing
// device, FIFO or other non-regular file is written into directly. A folder is refused. Returns an
// empty string on success; otherwise a message that names the file and says what failed, and the
// old file (if any) is left intact. SIGINT, SIGTERM and SIGHUP wait until the write is over, so
// no temporary file is left behind.
std::string WriteFileAtomically(const std::string& path, std::string_view data);
// The same for data given in parts, written one after the other.
std::string WriteFileAtomically(const std::string& path, std::span<const std::string_view> parts);

// Hands one piece of the data to the writer.
using PutData = std::function<void(std::string_view piece)>;
// The same for data made while it is written, so that a large output is never held whole:
// `produce` calls put with each piece in order. After a failed write put does nothing more, and
// the result is the failure, the old file left intact.
std::string WriteFileAtomically(const std::string& path,
                                const std::function<void(const PutData& put)>& produce);

}  // namespace pictoma
