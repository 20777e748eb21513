#include "Protocol.h"

#include <algorithm>

#include "PortDevice.h"

namespace vantrel {

namespace {

constexpr std::size_t kReplyBufferSize = 16;
// The exchange reads again only while fewer bytes than this were collected, so a reply holds at
// most kReplyCollectLimit + kReplyReadSize - 1 = 12 bytes.
constexpr std::size_t kReplyCollectLimit = 10;
constexpr std::size_t kReplyReadSize = 3;
static_assert(kReplyCollectLimit + kReplyReadSize - 1 <= kReplyBufferSize);
static_assert(kMaxLineBytes + 3 == kRecordBufferSize);

// How long a probe keeps retrying a read that reports an error, and how long it sleeps in between.
constexpr std::uint32_t kProbeReadRetryMs = 100;
constexpr std::uint32_t kProbeReadRetryStepMs = 10;

std::uint8_t Escaped(std::uint8_t b) {
    return b == kCr ? std::uint8_t(0x0E) : b;
}

void WriteByte(SerialPort& port, std::uint8_t b) {
    port.Write(std::span<const std::uint8_t>(&b, 1));
}

// A record under construction in its fixed buffer.
struct Record {
    std::array<std::uint8_t, kRecordBufferSize> bytes{};
    std::size_t length = 0;
    std::uint32_t sum = 0;

    bool Full() const { return length == kMaxLineBytes; }
    void Append(std::uint8_t b) {
        bytes[length++] = b;
        sum += b;
    }
    // Adds the checksum field and the CR; returns the frame.
    std::span<const std::uint8_t> Finish() {
        auto check = ChecksumBytes(std::uint16_t(sum));
        bytes[length++] = check[0];
        bytes[length++] = check[1];
        bytes[length++] = kCr;
        return {bytes.data(), length};
    }
    void Clear() {
        length = 0;
        sum = 0;
    }
};

// Sends a record or the end frame, up to four times until the terminal accepts it; after the
// fourth refusal shows "Error on downloading!".
bool SendFrame(SerialPort& port, Clock& clock, UserSide& user,
               std::span<const std::uint8_t> frame) {
    for (int i = 0; i < kFrameTransmissions; ++i) {
        if (IsAck(Exchange(port, clock, frame))) return true;
    }
    user.Message(kMsgDownloadError, kTitleFile, MsgIcon::Warning, MsgButtons::Ok);
    return false;
}

// Ends a failed attempt the way every failure of the sending does: the file back at its start.
bool FailSending(LookupFile& file) {
    file.Rewind();
    return false;
}

bool SendFile(SerialPort& port, LookupFile& file, ProgressSink& progress, Clock& clock,
              UserSide& user) {
    file.Rewind();
    const std::uint64_t size = file.Size();
    std::uint64_t count = 0;
    Record record;
    std::array<std::uint8_t, kFileBlockSize> block{};
    while (count < size) {
        // Never read past the size taken at the start, so that the progress stays within 0..100
        // even when the file grows while it is sent.
        const std::size_t want = std::size_t(std::min<std::uint64_t>(block.size(), size - count));
        const std::optional<std::size_t> got = file.Read({block.data(), want});
        if (!got || *got == 0 || *got > want) {
            // The file shrank or cannot be read: looping for the missing bytes would never end.
            user.Message(kMsgDownloadError, kTitleFile, MsgIcon::Warning, MsgButtons::Ok);
            return FailSending(file);
        }
        count += *got;
        for (std::size_t i = 0; i < *got; ++i) {
            const std::uint8_t b = block[i];
            if (b == kCr) {
                if (!SendFrame(port, clock, user, record.Finish())) return FailSending(file);
                record.Clear();
            } else if (b != kLf) {
                if (record.Full()) {
                    // A line the record cannot hold (the file changed after it was checked).
                    user.Message(kMsgDownloadError, kTitleFile, MsgIcon::Warning, MsgButtons::Ok);
                    return FailSending(file);
                }
                record.Append(b);
            }
        }
        progress.SetPosition(int(count * 100 / size));
    }
    if (record.length > 0 && !SendFrame(port, clock, user, record.Finish())) {
        return FailSending(file);
    }
    progress.SetPosition(100);
    if (!SendFrame(port, clock, user, kEndFrame)) return FailSending(file);
    return true;
}

// Reads the transceiver's answer to a probe into one byte. A read that fails is retried, with
// short sleeps, for at most 100 ms; a read that succeeds ends it even when nothing came.
std::uint8_t ReadProbeAnswer(SerialPort& port, Clock& clock) {
    std::uint8_t answer = 0;
    const std::uint32_t start = clock.NowMs();
    while (!port.Read(std::span<std::uint8_t>(&answer, 1))) {
        if (clock.NowMs() - start > kProbeReadRetryMs) break;
        clock.Sleep(kProbeReadRetryStepMs);
    }
    return answer;
}

// Brings the transceiver to the rate of `rateIndex` and leaves `config` at that rate, 8N1, with
// DTR and RTS on. The results of the intermediate applies are not examined: a transceiver that
// misses a step shows up as a probe that gets no answer.
bool SetUpTransceiver(SerialPort& port, PortConfig& config, int rateIndex, Clock& clock,
                      UserSide& user) {
    config.baudRate = 38400;
    config.byteSize = 8;
    config.parity = Parity::None;
    config.stopBits = StopBits::One;
    port.ApplyTimeouts(kPortTimeouts);

    config.dtr = true;
    config.rts = true;
    port.ApplyConfig(config);
    Pause(clock);

    bool answered = false;
    for (std::uint32_t rate : kIrProbeRates) {
        config.baudRate = rate;
        config.rts = false;
        port.ApplyConfig(config);
        Pause(clock);
        WriteByte(port, kIrProbe);
        Pause(clock);
        const std::uint8_t answer = ReadProbeAnswer(port, clock);
        config.rts = true;
        port.ApplyConfig(config);
        Pause(clock);
        if (answer == kIrProbe) {
            answered = true;
            break;
        }
    }
    if (!answered) {
        user.Message(kMsgCantSetIr, kTitleError, MsgIcon::Warning, MsgButtons::Ok);
        return false;
    }

    config.rts = false;
    port.ApplyConfig(config);
    Pause(clock);
    WriteByte(port, kIrSelect);
    Pause(clock);
    // The speed code still goes out at the rate that answered: the new rate is only recorded.
    config.baudRate = RateForIndex(rateIndex);
    WriteByte(port, IrSpeedCode(rateIndex));
    Pause(clock);
    WriteByte(port, kIrCommit);
    Pause(clock);
    config.rts = true;
    port.ApplyConfig(config);
    Pause(clock);

    config.byteSize = 8;
    config.parity = Parity::None;
    config.ctsOutFlow = false;
    config.xonXoff = false;
    return true;
}

}  // namespace

std::array<std::uint8_t, 2> ChecksumBytes(std::uint16_t sum) {
    return {Escaped(std::uint8_t(sum >> 8)), Escaped(std::uint8_t(sum & 0xFF))};
}

std::string MakeRecord(std::string_view line) {
    if (line.size() > kMaxLineBytes) return {};
    Record record;
    for (char c : line)
        record.Append(std::uint8_t(c));
    auto frame = record.Finish();
    return std::string(frame.begin(), frame.end());
}

bool IsAck(std::string_view reply) {
    return reply == "ACK";
}

std::string Exchange(SerialPort& port, Clock& clock, std::span<const std::uint8_t> frame) {
    port.Write(frame);

    std::array<std::uint8_t, kReplyBufferSize> reply{};
    std::size_t length = 0;
    const std::uint32_t start = clock.NowMs();
    while (length < kReplyCollectLimit) {
        // Sleep until a byte arrives or the limit is passed (by 1 ms, as "more than 3000 ms"
        // means), instead of polling; then read as a poll would have.
        const std::uint32_t elapsed = clock.NowMs() - start;
        if (elapsed <= kReplyLimitMs) port.WaitForInput(kReplyLimitMs - elapsed + 1);

        const std::optional<std::size_t> got =
            port.Read(std::span<std::uint8_t>(reply.data() + length, kReplyReadSize));
        // A port that fails (a USB adapter unplugged) will not deliver the rest of the reply.
        if (!got) break;
        const std::size_t n = std::min(*got, kReplyReadSize);
        length += n;
        if (clock.NowMs() - start > kReplyLimitMs) break;
        // Only a CR that ends a read ends the reply; one inside a read is part of a bad reply.
        if (n > 0 && reply[length - 1] == kCr) break;
    }
    if (length > 0 && reply[length - 1] == kCr) --length;
    return std::string(reply.begin(), reply.begin() + std::ptrdiff_t(length));
}

void Pause(Clock& clock) {
    const std::uint32_t start = clock.NowMs();
    for (std::uint32_t elapsed = 0; elapsed < kPauseMs; elapsed = clock.NowMs() - start) {
        clock.Sleep(kPauseMs - elapsed);
    }
}

std::string PortName(int portIndex) {
    return "COM" + std::to_string(portIndex + 1);
}

std::unique_ptr<SerialPort> OpenPort(int portIndex, PortOpener& opener, UserSide& user) {
    return OpenPort(PortName(portIndex), opener, user);
}

std::unique_ptr<SerialPort> OpenPort(std::string_view name, PortOpener& opener, UserSide& user) {
    std::unique_ptr<SerialPort> port = opener.Open(name);
    if (!port) {
        const PortFailure failure = opener.LastFailure();
        const std::vector<std::string> devices = failure.problem == PortProblem::Missing
                                                     ? opener.SerialDevices()
                                                     : std::vector<std::string>{};
        user.MessageWithReason(kMsgCantOpenPort, PortFailureReason(name, failure, devices),
                               kTitleFile, MsgIcon::Warning, MsgButtons::Ok);
        return nullptr;
    }
    port->SetQueueSizes(kInputQueueSize, kOutputQueueSize);
    return port;
}

bool ConfigurePort(SerialPort& port, int rateIndex, bool infrared, Clock& clock, UserSide& user) {
    PortConfig config;
    if (infrared) {
        if (!SetUpTransceiver(port, config, rateIndex, clock, user)) return false;
    } else {
        config.baudRate = RateForIndex(rateIndex);
        config.byteSize = 8;
        config.parity = Parity::None;
        config.stopBits = StopBits::One;
    }
    if (!port.ApplyConfig(config)) {
        user.Message(kMsgCantSetState, kTitleFile, MsgIcon::Warning, MsgButtons::Ok);
        return false;
    }
    return true;
}

bool DownloadOnce(SerialPort& port, LookupFile& file, ProgressSink& progress, Clock& clock,
                  UserSide& user) {
    port.ApplyTimeouts(kPortTimeouts);

    bool ready = false;
    for (int i = 0; i < kHandshakeTries && !ready; ++i) {
        ready = IsAck(Exchange(port, clock, kHandshakeFrame));
    }
    if (!ready) {
        user.Message(kMsgNotReady, kTitleFile, MsgIcon::Warning, MsgButtons::Ok);
        return false;
    }

    progress.Open();
    progress.SetPosition(0);
    const bool sent = SendFile(port, file, progress, clock, user);
    progress.Close();
    if (!sent) return false;
    user.Message(kMsgComplete, kTitleFile, MsgIcon::Warning, MsgButtons::Ok);
    return true;
}

void PurgeInput(SerialPort& port) {
    port.PurgeInput();
}

}  // namespace vantrel
