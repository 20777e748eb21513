#pragma once
// The download protocol: a handshake, one checksummed record per line of the lookup file and an
// end frame, each answered by the terminal with "ACK" and CR; plus opening the port and bringing
// an infrared transceiver on it to the chosen rate.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "Link.h"

namespace vantrel {

inline constexpr std::string_view kTitleFile = "Vantrel File";
inline constexpr std::string_view kTitleError = "Error";

inline constexpr std::string_view kMsgCantOpenPort = "Can't open the COM port!";
inline constexpr std::string_view kMsgCantSetState = "Failed to set communication state";
inline constexpr std::string_view kMsgCantSetIr = "Can't set the IR device !!!";
inline constexpr std::string_view kMsgNotReady = "Terminal is not ready!";
inline constexpr std::string_view kMsgDownloadError = "Error on downloading!";
inline constexpr std::string_view kMsgComplete = "Downloaded completely!";

inline constexpr std::uint8_t kCr = 0x0D;
inline constexpr std::uint8_t kLf = 0x0A;

// The longest line a record carries; the record adds two checksum bytes and a CR.
inline constexpr std::size_t kMaxLineBytes = 253;
inline constexpr std::size_t kRecordBufferSize = 256;
// The lookup file is read in blocks of this size.
inline constexpr std::size_t kFileBlockSize = 128;

inline constexpr std::array<std::uint8_t, 7> kHandshakeFrame = {'P', 'D', 'B', '1', kCr, 0x00, kCr};
inline constexpr std::array<std::uint8_t, 5> kEndFrame = {'O', 'V', 'E', 'R', kCr};

// Longest time one exchange waits for its reply, and the pause between transceiver steps.
inline constexpr std::uint32_t kReplyLimitMs = 3000;
inline constexpr std::uint32_t kPauseMs = 100;

inline constexpr int kHandshakeTries = 3;
inline constexpr int kFrameTransmissions = 4;

// The transceiver's control bytes and the rates it is probed at, in order.
inline constexpr std::uint8_t kIrProbe = 0x0F;
inline constexpr std::uint8_t kIrSelect = 0x07;
inline constexpr std::uint8_t kIrCommit = 'Q';
inline constexpr std::array<std::uint32_t, 5> kIrProbeRates = {9600, 38400, 115200, 57600, 19200};

// The transceiver's speed code of a rate index ('6' for 115200 down to '2' for 9600); any index
// outside 0..3 gives '2', matching RateForIndex.
constexpr std::uint8_t IrSpeedCode(int rateIndex) {
    return rateIndex >= 0 && rateIndex < 4 ? std::uint8_t('6' - rateIndex) : std::uint8_t('2');
}

// The 16-bit checksum field of a record: the unsigned sum of the line's bytes, big-endian, with a
// byte of 0x0D sent as 0x0E so that only the final CR ends the frame.
std::array<std::uint8_t, 2> ChecksumBytes(std::uint16_t sum);

// The data record of one line (the bytes without LF and without the ending CR): the line, the
// checksum field and a CR. `line` must be at most kMaxLineBytes long; longer lines give an empty
// result.
std::string MakeRecord(std::string_view line);

// True when a reply (already without its final CR) is exactly "ACK".
bool IsAck(std::string_view reply);

// Bytes for a message: printable ASCII as it is and every other byte as <hex>, in quotes
// ("NAK<0D>" in quotes for N, A, K, CR).
std::string ShowBytes(std::string_view bytes);

// One frame sent and its reply.
struct ExchangeResult {
    std::string raw;          // every byte collected, a final CR included
    bool portFailed = false;  // a read failed: the device went away
    // The reply as the terminal meant it: without a final CR.
    std::string Reply() const;
};

// Sends `frame` and collects the reply: reads of up to 3 bytes until at least 10 bytes came, a
// read delivered bytes ending in CR, the port failed, or more than 3000 ms passed. Blocks while
// it waits; never spins. `monitor` sees the frame, the reply, and a time-out or failed read.
ExchangeResult ExchangeFrame(SerialPort& port, Clock& clock, std::span<const std::uint8_t> frame,
                             Monitor& monitor);
// The same, returning only the reply without its final CR.
std::string Exchange(SerialPort& port, Clock& clock, std::span<const std::uint8_t> frame);

// Pauses for at least 100 ms by `clock`.
void Pause(Clock& clock);

// The user-visible name of a port index: "COM1" for 0.
std::string PortName(int portIndex);

// Opens the port of `portIndex` and asks for its queue sizes. On failure shows "Can't open the
// COM port!", with the reason the opener gives, and returns null.
std::unique_ptr<SerialPort> OpenPort(int portIndex, PortOpener& opener, UserSide& user);
// The same for a port name ("COM2") or a device path ("/dev/ttyUSB0").
std::unique_ptr<SerialPort> OpenPort(std::string_view name, PortOpener& opener, UserSide& user);

// Sets the port to the rate of `rateIndex`, 8N1: directly (DTR and RTS off), or with `infrared`
// through the transceiver's set-up (DTR and RTS on). False after its message when the
// transceiver does not answer or the port refuses the configuration.
// `monitor` sees every configuration applied and the transceiver's probes.
bool ConfigurePort(SerialPort& port, int rateIndex, bool infrared, Clock& clock, UserSide& user,
                   Monitor& monitor = NoMonitor());

// How an attempt ended.
enum class AttemptOutcome {
    Complete,    // "Downloaded completely!" was shown
    Failed,      // refused, not answered or the file failed; its message was shown
    DeviceGone,  // reading from the port failed (an adapter unplugged); its message was shown
    Cancelled,   // the user stopped it; nothing was shown and nothing more was sent
};

struct AttemptResult {
    AttemptOutcome outcome = AttemptOutcome::Failed;
    bool answered = false;        // the terminal answered the handshake
    std::uint64_t linesSent = 0;  // records the terminal accepted
    std::uint64_t lines = 0;      // records in the file
};

// The status line before each handshake: "Waiting for the terminal on /dev/ttyUSB0 (try 2 of
// 3)..."; without a device "Waiting for the terminal (try 2 of 3)...".
std::string WaitingStatus(std::string_view device, int attempt, int attempts);
// The status line before each record: "Line 120 of 2000".
std::string LineStatus(std::uint64_t line, std::uint64_t lines);
// What a cancelled attempt tells: "Download cancelled after line N of M: the terminal now holds
// a partial file.", or, when the terminal had not answered yet, that no line was sent.
std::string CancelledMessage(const AttemptResult& result);

// One attempt to send the whole file: handshake, one record per line, end frame. True after
// "Downloaded completely!"; false after the message of the failure, with the file back at its
// start. `progress` is opened only once the terminal answered the handshake.
bool DownloadOnce(SerialPort& port, LookupFile& file, ProgressSink& progress, Clock& clock,
                  UserSide& user);

// The same attempt, telling `monitor` the status and the protocol's events and stopping when it
// asks to: after the frame on the line has been answered or has timed out, before anything else
// is sent. Failure messages carry their reason (the line, the last answer, the transmissions).
AttemptResult DownloadAttempt(SerialPort& port, LookupFile& file, ProgressSink& progress,
                              Clock& clock, UserSide& user, Monitor& monitor);

// Discards the bytes received and not read.
void PurgeInput(SerialPort& port);

}  // namespace vantrel
