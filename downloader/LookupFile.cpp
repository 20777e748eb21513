#include "LookupFile.h"

#include <array>
#include <filesystem>

#include "Protocol.h"

#ifdef _WIN32
#include <share.h>
#include <sys/stat.h>
#else
#include <sys/stat.h>
#endif

namespace vantrel {

std::unique_ptr<DiskLookupFile> DiskLookupFile::Open(const std::string& path) {
#ifdef _WIN32
    std::FILE* f = _wfsopen(std::filesystem::u8path(path).c_str(), L"rb", _SH_DENYRW);
#else
    std::FILE* f = std::fopen(path.c_str(), "rb");
    // A folder opens for reading on POSIX systems but has no bytes to send.
    struct stat st {};
    if (f && (::fstat(::fileno(f), &st) != 0 || !S_ISREG(st.st_mode))) {
        std::fclose(f);
        f = nullptr;
    }
#endif
    if (!f) return nullptr;
    return std::unique_ptr<DiskLookupFile>(new DiskLookupFile(f));
}

std::uint64_t DiskLookupFile::Size() {
#ifdef _WIN32
    struct _stat64 st {};
    if (_fstat64(_fileno(file_.get()), &st) != 0) return 0;
#else
    struct stat st {};
    if (::fstat(::fileno(file_.get()), &st) != 0) return 0;
#endif
    return st.st_size > 0 ? std::uint64_t(st.st_size) : 0;
}

std::optional<std::size_t> DiskLookupFile::Read(std::span<std::uint8_t> into) {
    const std::size_t n = std::fread(into.data(), 1, into.size(), file_.get());
    if (n == 0 && std::ferror(file_.get())) {
        std::clearerr(file_.get());
        return std::nullopt;
    }
    return n;
}

void DiskLookupFile::Rewind() {
    std::rewind(file_.get());
}

std::uint64_t FindLongLine(LookupFile& file) {
    file.Rewind();
    std::array<std::uint8_t, kFileBlockSize> block{};
    std::uint64_t line = 1;
    std::size_t length = 0;
    std::uint64_t found = 0;
    while (found == 0) {
        const std::optional<std::size_t> got = file.Read(block);
        if (!got || *got == 0) break;
        for (std::size_t i = 0; i < *got && found == 0; ++i) {
            if (block[i] == kCr) {
                ++line;
                length = 0;
            } else if (block[i] != kLf && ++length > kMaxLineBytes) {
                found = line;
            }
        }
    }
    file.Rewind();
    return found;
}

}  // namespace vantrel
