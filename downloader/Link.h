#pragma once
// What the download protocol works against: the link settings, the port's configuration record
// and time-outs, and the interfaces to the serial port, the clock, the lookup file and the user.
// The program passes real ones (a serial device, the steady clock, dialogs or the console); the
// tests pass scripted fakes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Messages.h"

namespace vantrel {

using pictoma::MsgAnswer;
using pictoma::MsgButtons;
using pictoma::MsgIcon;

// The settings the user picks for one run; all start at 0 (COM1, 115200 bit/s, direct link).
struct LinkSettings {
    LinkSettings() = default;
    LinkSettings(int port, int rate, int ir, std::string otherDevice = {})
        : portIndex(port), rateIndex(rate), infrared(ir), device(std::move(otherDevice)) {}

    int portIndex = 0;   // 0..5: "COM1".."COM6"
    int rateIndex = 0;   // 0..4: an index into kRates
    int infrared = 0;    // 1: the port drives a serial infrared transceiver
    std::string device;  // a device used instead of the port of portIndex; empty for that port
};

inline constexpr int kPortCount = 6;
inline constexpr std::array<std::uint32_t, 5> kRates = {115200, 57600, 38400, 19200, 9600};

// Data rate of a rate index; any index outside 0..3 gives 9600.
constexpr std::uint32_t RateForIndex(int rateIndex) {
    return rateIndex >= 0 && rateIndex < 4 ? kRates[std::size_t(rateIndex)] : 9600;
}

enum class Parity : std::uint8_t { None = 0 };
enum class StopBits : std::uint8_t { One = 0 };

// The line settings applied to an open port as one unit. Every field starts at zero (or off) and
// only the fields below are ever set; every other control of the line (DSR flow control, XON/XOFF,
// parity checking, character replacement) is off.
struct PortConfig {
    std::uint32_t baudRate = 0;
    std::uint8_t byteSize = 0;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    bool dtr = false;         // DTR asserted while the port is open
    bool rts = false;         // RTS asserted
    bool ctsOutFlow = false;  // hardware output flow control
    bool xonXoff = false;     // software flow control

    bool operator==(const PortConfig&) const = default;
};

// The port's time-outs, in milliseconds, set as one unit.
struct PortTimeouts {
    std::uint32_t readInterval = 0;
    std::uint32_t readTotalMultiplier = 0;
    std::uint32_t readTotalConstant = 0;
    std::uint32_t writeTotalMultiplier = 0;
    std::uint32_t writeTotalConstant = 0;

    bool operator==(const PortTimeouts&) const = default;
};

// Reads return at once with what has arrived; a write of n bytes gives up after 50 + 5 n ms.
inline constexpr PortTimeouts kPortTimeouts{0xFFFFFFFFu, 0, 0, 5, 50};

inline constexpr int kInputQueueSize = 256;
inline constexpr int kOutputQueueSize = 1200;

// An open serial port. Closing it is destroying it.
class SerialPort {
public:
    virtual ~SerialPort() = default;
    // Asks the driver for the sizes of its input and output queues (a request it may ignore).
    virtual void SetQueueSizes(int input, int output) = 0;
    // Applies the whole record; false when the port refuses the rate, the framing or the flow
    // control. DTR and RTS are set as well as the device allows, which never makes it fail.
    virtual bool ApplyConfig(const PortConfig& config) = 0;
    // Applies the time-outs used by the following reads and writes.
    virtual void ApplyTimeouts(const PortTimeouts& timeouts) = 0;
    // Sends the bytes, waiting at most as long as the write time-outs allow.
    virtual void Write(std::span<const std::uint8_t> bytes) = 0;
    // Blocks until a byte can be read, the port fails, or `ms` milliseconds have passed.
    virtual void WaitForInput(std::uint32_t ms) = 0;
    // Copies up to into.size() bytes that have already arrived, without waiting; nullopt when
    // the read itself fails (the device is gone, for example).
    virtual std::optional<std::size_t> Read(std::span<std::uint8_t> into) = 0;
    // Discards every received byte that has not been read.
    virtual void PurgeInput() = 0;
    // The device behind the port ("/dev/ttyUSB0"), for messages; empty when there is none.
    virtual std::string Device() const { return {}; }
};

// What kept a port from opening.
enum class PortProblem { Unknown, Missing, PermissionDenied, Busy, NotSerial, Other };

struct PortFailure {
    PortProblem problem = PortProblem::Unknown;
    std::string device;      // the device that was tried
    std::string systemText;  // the system's own words, e.g. "Permission denied"
    std::string holder;      // Busy: who holds the device, where that is known
    std::string group;       // PermissionDenied: the group that may use the device
};

// Opens serial ports by their user-visible name ("COM1".."COM6") or by a device path.
class PortOpener {
public:
    virtual ~PortOpener() = default;
    // The open port, or null when it does not exist or is in use.
    virtual std::unique_ptr<SerialPort> Open(std::string_view name) = 0;
    // Why the last Open returned null; Unknown when the opener cannot tell.
    virtual PortFailure LastFailure() const { return {}; }
    // The serial devices the machine has, to name in a message about a missing one.
    virtual std::vector<std::string> SerialDevices() const { return {}; }
};

// A millisecond tick counter and a blocking pause.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start; wraps around, so only differences count.
    virtual std::uint32_t NowMs() = 0;
    // Sleeps (never spins) for about `ms` milliseconds.
    virtual void Sleep(std::uint32_t ms) = 0;
};

// The lookup file being sent.
class LookupFile {
public:
    virtual ~LookupFile() = default;
    // The file's current size in bytes.
    virtual std::uint64_t Size() = 0;
    // Reads the next bytes into `into`; the count read (0 at the end of the file), or nullopt
    // when the read fails.
    virtual std::optional<std::size_t> Read(std::span<std::uint8_t> into) = 0;
    // Goes back to the first byte.
    virtual void Rewind() = 0;
};

// How the protocol reaches the user: message boxes with a title.
class UserSide {
public:
    virtual ~UserSide() = default;
    // Shows `text` under `title` modally and returns the button chosen.
    virtual MsgAnswer Message(std::string_view text, std::string_view title, MsgIcon icon,
                              MsgButtons buttons) = 0;
    // The same with `reason`, what lies behind the message (the device and the system's words,
    // the line that failed), shown beneath it. Without a reason it is Message(); a side that
    // has no room for reasons drops them.
    virtual MsgAnswer MessageWithReason(std::string_view text, std::string_view reason,
                                        std::string_view title, MsgIcon icon, MsgButtons buttons) {
        (void)reason;
        return Message(text, title, icon, buttons);
    }
};

// The progress display of one attempt.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // Shows the display, at position 0 of 0..100.
    virtual void Open() = 0;
    // Moves the display to `percent` (0..100).
    virtual void SetPosition(int percent) = 0;
    // Removes the display.
    virtual void Close() = 0;
};

// What an attempt tells besides its messages and its bar, and how the user stops it: a status
// line, the protocol log's events and the request to cancel. Every operation does nothing by
// default, so that each side overrides only what it shows.
class Monitor {
public:
    virtual ~Monitor() = default;
    // The status line ("Line 120 of 2000"); empty when the attempt has ended.
    virtual void Status(std::string_view) {}
    // True once the user asked to stop; the attempt stops after the frame on the line.
    virtual bool CancelRequested() { return false; }
    // Bytes written to the port, and bytes read from it (one reply, or a transceiver's echo).
    virtual void Sent(std::span<const std::uint8_t>) {}
    virtual void Received(std::span<const std::uint8_t>) {}
    // An event without bytes: a time-out, a failed read, a probe that got no echo.
    virtual void Note(std::string_view) {}
    // The line settings just applied to the port.
    virtual void Configured(const PortConfig&) {}
};

// A monitor that shows nothing and never cancels.
Monitor& NoMonitor();

}  // namespace vantrel
