#include "BmpFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "InputFile.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pictoma {

std::string BmpFile::Open(const std::string& path) {
    Close();
#ifndef _WIN32
    // Opened without blocking, so that a FIFO or a terminal is refused at once instead of
    // waiting for a writer; only a regular file is read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return "Cannot open \"" + path + "\": " + std::strerror(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return NotRegularFileText(path);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_fileSize = std::uint64_t(st.st_size);
    m_fp = ::fdopen(fd, "rb");
    if (!m_fp) {
        const int err = errno;
        ::close(fd);
        return "Cannot open \"" + path + "\": " + std::strerror(err);
    }
#else
    m_fp = std::fopen(path.c_str(), "rb");
    if (!m_fp) return "Cannot open \"" + path + "\": " + std::strerror(errno);
#endif
    // Our own buffer is the only one: fread then goes straight from the kernel into it.
    std::setvbuf(m_fp, nullptr, _IONBF, 0);
    m_buf.reset(new std::uint8_t[kBufferSize]);
    return {};
}

void BmpFile::OpenMemory(const std::uint8_t* data, std::size_t size) {
    Close();
    static const std::uint8_t kEmpty = 0;
    m_mem = data ? data : &kEmpty;
    m_memSize = data ? size : 0;
}

void BmpFile::Close() {
    if (m_fp) std::fclose(m_fp);
    m_fp = nullptr;
    m_mem = nullptr;
    m_memSize = 0;
    m_fileSize = 0;
    m_buf.reset();
    m_pos = m_bufStart = m_end = 0;
}

const std::uint8_t* BmpFile::At(std::uint64_t offset, std::size_t n, std::size_t* got) {
    n = std::min(n, kBufferSize);
    if (m_mem) {
        const std::size_t avail = offset >= m_memSize ? 0 : std::size_t(m_memSize - offset);
        *got = std::min(n, avail);
        m_pos = offset + *got;
        return m_mem + std::min<std::uint64_t>(offset, m_memSize);
    }
    static const std::uint8_t kNothing = 0;
    *got = 0;
    m_pos = offset;
    if (!m_fp) return &kNothing;
    if (offset < m_bufStart || offset - m_bufStart + n > m_end) {
        const bool backwards = offset < m_bufStart;
        const std::uint64_t start = !backwards                 ? offset
                                    : offset + n > kBufferSize ? offset + n - kBufferSize
                                                               : 0;
        m_bufStart = start;
        m_end = Fill(start);
    }
    const std::size_t at = std::size_t(offset - m_bufStart);
    if (at >= m_end) return &kNothing;
    *got = std::min(n, m_end - at);
    m_pos = offset + *got;
    return m_buf.get() + at;
}

std::size_t BmpFile::Fill(std::uint64_t start) {
    std::size_t filled = 0;
#ifndef _WIN32
    // Positioned reads of at most what the file held when it was opened: one system call per
    // buffer-full, none to seek or to find the end.
    if (start >= m_fileSize) return 0;
    const std::size_t want = std::size_t(std::min<std::uint64_t>(kBufferSize, m_fileSize - start));
    const int fd = ::fileno(m_fp);
    while (filled < want) {
        const ssize_t r = ::pread(fd, m_buf.get() + filled, want - filled, off_t(start + filled));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;  // the file got shorter, or a read error: both end the reading
        filled += std::size_t(r);
    }
#else
    // A position beyond what fseek can express is beyond any real file: nothing is there.
    if (start > std::uint64_t(std::numeric_limits<long>::max()) ||
        std::fseek(m_fp, long(start), SEEK_SET) != 0)
        return 0;
    while (filled < kBufferSize) {
        const std::size_t r = std::fread(m_buf.get() + filled, 1, kBufferSize - filled, m_fp);
        if (r == 0) break;  // end of file, or a read error: both end the reading
        filled += r;
    }
#endif
    return filled;
}

std::size_t BmpFile::Read(void* dst, std::size_t n) {
    std::size_t total = 0;
    auto* out = static_cast<std::uint8_t*>(dst);
    while (total < n) {
        std::size_t got = 0;
        const std::uint8_t* p = Fetch(n - total, &got);
        if (got == 0) break;
        std::memcpy(out + total, p, got);
        total += got;
    }
    return total;
}

void BmpFile::WillRead(std::uint64_t from, std::uint64_t to, bool backwards) {
#if defined(POSIX_FADV_WILLNEED) && !defined(_WIN32)
    if (!m_fp || to <= from || to > std::uint64_t(std::numeric_limits<off_t>::max())) return;
    ::posix_fadvise(::fileno(m_fp), off_t(from), off_t(to - from),
                    backwards ? POSIX_FADV_WILLNEED : POSIX_FADV_SEQUENTIAL);
#else
    (void)from, (void)to, (void)backwards;
#endif
}

void PrepareForWriting(std::uint8_t* data, std::size_t size) {
#if defined(__linux__)
    // MADV_POPULATE_WRITE (Linux 5.14): the whole pages inside the range, faulted in at once.
    constexpr int kPopulateWrite = 23;
    const auto page = std::uintptr_t(::sysconf(_SC_PAGESIZE));
    const std::uintptr_t a = (std::uintptr_t(data) + page - 1) / page * page;
    const std::uintptr_t b = (std::uintptr_t(data) + size) / page * page;
    if (b > a) ::madvise(reinterpret_cast<void*>(a), b - a, kPopulateWrite);
#else
    (void)data, (void)size;
#endif
}

}  // namespace pictoma
