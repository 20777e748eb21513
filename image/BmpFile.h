#pragma once
// A read-only bitmap file, or bitmap bytes in memory, read by the bitmap reader. A file is read
// through one bounded, reused buffer of large reads; the reader asks for rows at their offsets,
// forwards or backwards, and gets contiguous bytes. The file is never held in memory as a whole.
//
// Large reads measured faster here than mapping the file: touching the mapped page cache cost
// more than the copy of a read, most of all when a bottom-up file is walked backwards.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace pictoma {

class BmpFile {
public:
    // Also the most that Fetch and At return at once: more than the longest row (32768 pixels of
    // 4 bytes).
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

    // Copies up to n bytes from the current position to dst and moves past them; fewer only at
    // the end of the file or on a read error.
    std::size_t Read(void* dst, std::size_t n);
    // Returns up to n (<= kBufferSize) contiguous bytes from the current position and moves past
    // them; *got tells how many, fewer than n only at the end of the file or on a read error.
    const std::uint8_t* Fetch(std::size_t n, std::size_t* got) { return At(m_pos, n, got); }
    // The same at `offset`: Seek, then Fetch. When the buffer is refilled for an offset before
    // the bytes it holds, it takes the bytes that end at offset + n, so that a reader walking the
    // file backwards refills it once per buffer-full too. The bytes stay valid until the next
    // call that reads.
    const std::uint8_t* At(std::uint64_t offset, std::size_t n, std::size_t* got);
    // Moves to an absolute offset. A position past the end is allowed: later reads return nothing.
    void Seek(std::uint64_t offset) { m_pos = offset; }
    // Moves forward by n bytes from the current position.
    void Skip(std::uint64_t n) { m_pos += n; }
    std::uint64_t Tell() const { return m_pos; }

    // Tells the system that the bytes from `from` to `to` are read next, forwards or backwards
    // (its own read-ahead only goes forwards).
    void WillRead(std::uint64_t from, std::uint64_t to, bool backwards);

private:
    // Reads the file's bytes from `start` into the buffer, as many as fit; returns how many.
    std::size_t Fill(std::uint64_t start);

    std::FILE* m_fp = nullptr;
    std::uint64_t m_fileSize = 0;         // the size when opened
    const std::uint8_t* m_mem = nullptr;  // the bytes in memory
    std::size_t m_memSize = 0;
    std::uint64_t m_pos = 0;  // the read position
    // The file's bytes from offset m_bufStart, m_end of them; allocated once per open, never
    // cleared, since only what a read filled is handed out.
    std::unique_ptr<std::uint8_t[]> m_buf;
    std::uint64_t m_bufStart = 0;
    std::size_t m_end = 0;
};

// Asks the system to provide the pages of `size` bytes at `data`, about to be written, in one go
// rather than one fault per page. Only a hint: nothing happens where it is not supported.
void PrepareForWriting(std::uint8_t* data, std::size_t size);

}  // namespace pictoma
