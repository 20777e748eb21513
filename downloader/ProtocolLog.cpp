#include "ProtocolLog.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace vantrel {

std::string HexAndText(std::span<const std::uint8_t> bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string hex;
    std::string text;
    for (std::uint8_t b : bytes) {
        if (!hex.empty()) hex += ' ';
        hex += kHex[b >> 4];
        hex += kHex[b & 0x0F];
        text += b >= 0x20 && b < 0x7F ? char(b) : '.';
    }
    return hex + "  \"" + text + "\"";
}

std::string DescribeConfig(const PortConfig& config) {
    std::string out = std::to_string(config.baudRate) + " bit/s " +
                      std::to_string(int(config.byteSize)) + "N1, DTR " +
                      (config.dtr ? "on" : "off") + ", RTS " + (config.rts ? "on" : "off");
    if (config.ctsOutFlow) out += ", CTS flow control";
    if (config.xonXoff) out += ", XON/XOFF";
    return out;
}

ProtocolLog::ProtocolLog(Clock& clock, Writer writer)
    : clock_(clock), writer_(std::move(writer)), start_(clock.NowMs()) {}

void ProtocolLog::Sent(std::span<const std::uint8_t> bytes) {
    Line('>', HexAndText(bytes));
}

void ProtocolLog::Received(std::span<const std::uint8_t> bytes) {
    Line('<', HexAndText(bytes));
}

void ProtocolLog::Note(std::string_view text) {
    Line('!', text);
}

void ProtocolLog::Configured(const PortConfig& config) {
    Line('=', DescribeConfig(config));
}

void ProtocolLog::Line(char mark, std::string_view text) {
    const std::uint32_t ms = clock_.NowMs() - start_;
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%5u.%03u %c ", unsigned(ms / 1000), unsigned(ms % 1000),
                  mark);
    std::string line = stamp;
    line += text;
    line += '\n';
    writer_(line);
}

LogFileOpening OpenLogFile(const std::string& path) {
    LogFileOpening opening;
#ifdef _WIN32
    std::FILE* f = std::fopen(path.c_str(), "wb");
#else
    std::FILE* f = nullptr;
    // O_NONBLOCK so that a FIFO without a reader fails at once instead of hanging the program.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd >= 0) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        f = ::fdopen(fd, "w");
        if (!f) ::close(fd);
    }
#endif
    if (!f) {
        opening.reason = path + ": " + std::strerror(errno);
        return opening;
    }
    std::shared_ptr<std::FILE> file(f, [](std::FILE* p) { std::fclose(p); });
    opening.writer = [file](std::string_view line) {
        std::fwrite(line.data(), 1, line.size(), file.get());
        std::fflush(file.get());
    };
    return opening;
}

}  // namespace vantrel
