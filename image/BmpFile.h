#pragma once
// A read-only file read sequentially through one bounded, reused buffer. Used by the bitmap reader:
// whole rows are fetched from the buffer, so there is one read call per buffer-full rather than one
// per pixel, and the file is never held in memory as a whole.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace pictoma {

class BmpFile {
public:
    static constexpr std::size_t kBufferSize = 256 * 1024;

    BmpFile() = default;
    BmpFile(const BmpFile&) = delete;
    BmpFile& operator=(const BmpFile&) = delete;
    ~BmpFile() { Close(); }

    // Opens `path` for reading without ever blocking. Returns an empty string on success, else
    // the message that names the file: it cannot be opened (and why), or it is not a regular file.
    std::string Open(const std::string& path);
    // Reads from `size` bytes at `data` instead of a file; the bytes must outlive the reading.
    void OpenMemory(const std::uint8_t* data, std::size_t size);
    bool IsOpen() const { return m_fp != nullptr || m_mem != nullptr; }
    void Close();

    // Copies up to n bytes to dst; fewer only at the end of the file or on a read error.
    std::size_t Read(void* dst, std::size_t n);
    // Returns up to n (<= kBufferSize) contiguous bytes from the current position and moves past
    // them; *got tells how many, fewer than n only at the end of the file or on a read error.
    const std::uint8_t* Fetch(std::size_t n, std::size_t* got);
    // Moves to an absolute offset. A position past the end is allowed: later reads return nothing.
    void Seek(std::uint64_t offset);
    // Moves forward by n bytes from the current position.
    void Skip(std::uint64_t n) { Seek(Tell() + n); }
    std::uint64_t Tell() const { return m_bufStart + m_pos; }

private:
    bool Fill(std::size_t n);

    std::FILE* m_fp = nullptr;
    const std::uint8_t* m_mem = nullptr;
    std::size_t m_memSize = 0;
    std::vector<std::uint8_t> m_buf;
    std::uint64_t m_bufStart = 0;  // file offset of m_buf[0] (memory: of m_mem[0] is 0)
    std::size_t m_pos = 0;         // read position inside the buffer
    std::size_t m_end = 0;         // bytes valid in the buffer
    bool m_eof = false;            // the file ended or failed at m_bufStart + m_end
};

}  // namespace pictoma
