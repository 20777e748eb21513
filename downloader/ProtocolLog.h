#pragma once
// The protocol log: one line per event on the line, written and flushed as it happens, so that a
// refused record can be read afterwards byte by byte. It only watches: nothing it does changes
// what is sent or when.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "Link.h"

namespace vantrel {

// "41 43 4B 0D  "ACK."": the bytes in hex, then their printable form with '.' for the rest.
std::string HexAndText(std::span<const std::uint8_t> bytes);

// "115200 bit/s 8N1, DTR off, RTS off", with the flow control when there is one.
std::string DescribeConfig(const PortConfig& config);

class ProtocolLog final : public Monitor {
public:
    // Takes each finished line, its line end included.
    using Writer = std::function<void(std::string_view line)>;

    // Times are counted from now on `clock`.
    ProtocolLog(Clock& clock, Writer writer);

    // ">" bytes sent, "<" bytes received, "!" an event, "=" the line settings.
    void Sent(std::span<const std::uint8_t> bytes) override;
    void Received(std::span<const std::uint8_t> bytes) override;
    void Note(std::string_view text) override;
    void Configured(const PortConfig& config) override;

private:
    void Line(char mark, std::string_view text);

    Clock& clock_;
    Writer writer_;
    std::uint32_t start_;
};

// A writer that appends to a file, flushing every line. The file is created or truncated; a
// FIFO or a terminal is written as it is, without waiting to open it.
struct LogFileOpening {
    ProtocolLog::Writer writer;  // empty when the file cannot be opened
    std::string reason;          // "<path>: <the system's words>"
};
LogFileOpening OpenLogFile(const std::string& path);

}  // namespace vantrel
