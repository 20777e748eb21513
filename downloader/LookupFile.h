#pragma once
// The lookup file on disk, and the check that every line of it fits a record.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "Link.h"

namespace vantrel {

class DiskLookupFile;

// An opened lookup file, or why it could not be opened ("shop.txt is not a regular file").
struct LookupFileOpening {
    std::unique_ptr<DiskLookupFile> file;
    std::string reason;
};

class DiskLookupFile final : public LookupFile {
public:
    // Opens an existing regular file for reading (on Windows without sharing); null when it
    // cannot. A FIFO, a device or a folder is refused at once, without waiting for a writer.
    static std::unique_ptr<DiskLookupFile> Open(const std::string& path);
    // The same, with the reason of a refusal, naming the file.
    static LookupFileOpening OpenWithReason(const std::string& path);

    std::uint64_t Size() override;
    std::optional<std::size_t> Read(std::span<std::uint8_t> into) override;
    void Rewind() override;

private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    explicit DiskLookupFile(std::FILE* f) : file_(f) {}
    std::unique_ptr<std::FILE, Closer> file_;
};

// The number (counted from 1) of the first line with more bytes than a record holds, or 0 when
// every line fits. A line ends at each CR; LF bytes are not counted since they are never sent.
// Reads the file from its start and leaves it at its start; a failed read ends the scan.
std::uint64_t FindLongLine(LookupFile& file);

// The number of records the file makes: one per CR, and one for a last line without CR. Reads
// the file from its start and leaves it at its start; a failed read ends the count.
std::uint64_t CountRecords(LookupFile& file);

}  // namespace vantrel
