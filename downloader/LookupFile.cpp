#include "LookupFile.h"

#include <array>
#include <filesystem>

#include "Protocol.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <share.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vantrel {

std::unique_ptr<DiskLookupFile> DiskLookupFile::Open(const std::string& path) {
    return OpenWithReason(path).file;
}

LookupFileOpening DiskLookupFile::OpenWithReason(const std::string& path) {
    LookupFileOpening opening;
    const auto refuse = [&](const std::string& reason) {
        opening.reason = reason;
        return std::move(opening);
    };
#ifdef _WIN32
    std::FILE* f = _wfsopen(std::filesystem::u8path(path).c_str(), L"rb", _SH_DENYRW);
    if (!f) return refuse(path + ": " + std::strerror(errno));
    struct _stat64 st {};
    if (_fstat64(_fileno(f), &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) {
        std::fclose(f);
        return refuse(path + " is not a regular file");
    }
#else
    // Without O_NONBLOCK, opening a FIFO waits for a writer, forever if none comes; the type is
    // checked on the descriptor itself so that nothing can swap the file in between.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return refuse(path + ": " + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return refuse(path + " is not a regular file");
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* f = ::fdopen(fd, "rb");
    if (!f) {
        const int error = errno;
        ::close(fd);
        return refuse(path + ": " + std::strerror(error));
    }
#endif
    opening.file.reset(new DiskLookupFile(f));
    return opening;
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

std::uint64_t CountRecords(LookupFile& file) {
    file.Rewind();
    std::array<std::uint8_t, kFileBlockSize> block{};
    std::uint64_t records = 0;
    bool open = false;  // bytes of a record that no CR has ended yet
    for (;;) {
        const std::optional<std::size_t> got = file.Read(block);
        if (!got || *got == 0) break;
        for (std::size_t i = 0; i < *got; ++i) {
            if (block[i] == kCr) {
                ++records;
                open = false;
            } else if (block[i] != kLf) {
                open = true;
            }
        }
    }
    file.Rewind();
    return records + (open ? 1 : 0);
}

}  // namespace vantrel
