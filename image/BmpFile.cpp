#include "BmpFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "InputFile.h"

#ifndef _WIN32
#include <fcntl.h>
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
    m_buf.resize(kBufferSize);
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
    m_bufStart = m_pos = m_end = 0;
    m_eof = false;
}

bool BmpFile::Fill(std::size_t n) {
    // Keep the unread bytes, move them to the front and read until n are there or the file ends.
    if (m_pos > 0) {
        std::memmove(m_buf.data(), m_buf.data() + m_pos, m_end - m_pos);
        m_bufStart += m_pos;
        m_end -= m_pos;
        m_pos = 0;
    }
    while (m_end < n && !m_eof) {
        std::size_t r = std::fread(m_buf.data() + m_end, 1, m_buf.size() - m_end, m_fp);
        if (r == 0) m_eof = true;  // end of file, or a read error: both end the reading
        m_end += r;
    }
    return m_end >= n;
}

const std::uint8_t* BmpFile::Fetch(std::size_t n, std::size_t* got) {
    n = std::min(n, kBufferSize);
    if (m_mem) {
        std::uint64_t pos = m_bufStart;
        std::size_t avail = pos >= m_memSize ? 0 : std::size_t(m_memSize - pos);
        *got = std::min(n, avail);
        m_bufStart += *got;
        return m_mem + std::min<std::uint64_t>(pos, m_memSize);
    }
    if (!m_fp) {
        *got = 0;
        return m_buf.data();
    }
    if (m_end - m_pos < n) Fill(n);
    *got = std::min(n, m_end - m_pos);
    const std::uint8_t* p = m_buf.data() + m_pos;
    m_pos += *got;
    return p;
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

void BmpFile::Seek(std::uint64_t offset) {
    if (m_mem) {
        m_bufStart = offset;
        return;
    }
    if (!m_fp) return;
    if (offset >= m_bufStart && offset <= m_bufStart + m_end) {
        m_pos = std::size_t(offset - m_bufStart);
        return;
    }
    m_bufStart = offset;
    m_pos = m_end = 0;
    m_eof = false;
    // A position beyond what fseeko can express is beyond any real file: reading there ends at
    // once.
    if (offset > std::uint64_t(std::numeric_limits<long>::max()) ||
        std::fseek(m_fp, long(offset), SEEK_SET) != 0) {
        m_eof = true;
    }
}

}  // namespace pictoma
