#include "Protocol.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "LookupFile.h"
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

void WriteByte(SerialPort& port, std::uint8_t b, Monitor& monitor) {
    const std::span<const std::uint8_t> bytes(&b, 1);
    port.Write(bytes);
    monitor.Sent(bytes);
}

// Applies the record and tells the monitor; the port's verdict is returned, not examined.
bool Apply(SerialPort& port, const PortConfig& config, Monitor& monitor) {
    monitor.Configured(config);
    const bool ok = port.ApplyConfig(config);
    if (!ok) monitor.Note("the port refused these line settings");
    return ok;
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

// "the last answer was "NAK<0D>"", or that there was none.
std::string LastAnswer(const ExchangeResult& last) {
    if (last.raw.empty()) return "the last time there was no answer within 3 s";
    return "the last answer was " + ShowBytes(last.raw);
}

std::string DeviceOr(std::string_view device, std::string_view otherwise) {
    return device.empty() ? std::string(otherwise) : std::string(device);
}

std::string GoneReason(std::string_view device, std::string_view during) {
    return "The device " + DeviceOr(device, "of the port") + " went away " + std::string(during) +
           " (reading from it failed). Plug it back in and answer Yes to try again.";
}

// How sending one frame ended.
struct FrameResult {
    AttemptOutcome outcome = AttemptOutcome::Complete;  // Complete: the terminal accepted it
    int transmissions = 0;
    ExchangeResult last;
};

// Sends a record or the end frame, up to four times until the terminal accepts it. Stops early
// when the device went away or the user cancelled, once the frame on the line is answered.
FrameResult SendFrame(SerialPort& port, Clock& clock, Monitor& monitor,
                      std::span<const std::uint8_t> frame) {
    FrameResult result;
    for (int i = 0; i < kFrameTransmissions; ++i) {
        result.last = ExchangeFrame(port, clock, frame, monitor);
        result.transmissions = i + 1;
        if (IsAck(result.last.Reply())) return result;
        if (result.last.portFailed) {
            result.outcome = AttemptOutcome::DeviceGone;
            return result;
        }
        if (monitor.CancelRequested()) {
            result.outcome = AttemptOutcome::Cancelled;
            return result;
        }
    }
    result.outcome = AttemptOutcome::Failed;
    return result;
}

// How sending the file ended, with the reason of a failure.
struct Sending {
    AttemptOutcome outcome = AttemptOutcome::Complete;
    std::string reason;
};

Sending SendFile(SerialPort& port, LookupFile& file, ProgressSink& progress, Clock& clock,
                 Monitor& monitor, AttemptResult& attempt) {
    const std::string device = port.Device();
    // Every way out but success leaves the file at its start, so that a retry resends it all.
    const auto fail = [&](AttemptOutcome outcome, std::string reason) {
        file.Rewind();
        return Sending{outcome, std::move(reason)};
    };
    // Sends the frame of record `line` (0 for the end frame); nullopt when it was accepted.
    const auto send = [&](std::span<const std::uint8_t> frame,
                          std::uint64_t line) -> std::optional<Sending> {
        if (monitor.CancelRequested()) return fail(AttemptOutcome::Cancelled, {});
        if (line > 0) monitor.Status(LineStatus(line, attempt.lines));
        const FrameResult sent = SendFrame(port, clock, monitor, frame);
        const std::string what =
            line > 0 ? "line " + std::to_string(line) + " of " + std::to_string(attempt.lines)
                     : std::string("the end frame");
        switch (sent.outcome) {
            case AttemptOutcome::Complete:
                if (line > 0) attempt.linesSent = line;
                return std::nullopt;
            case AttemptOutcome::DeviceGone:
                return fail(sent.outcome, GoneReason(device, "while " + what + " was sent"));
            case AttemptOutcome::Cancelled:
                return fail(sent.outcome, {});
            case AttemptOutcome::Failed:
                break;
        }
        std::string reason = what + " was sent " + std::to_string(sent.transmissions) +
                             " times and refused; " + LastAnswer(sent.last) + ".";
        reason[0] = char(std::toupper(static_cast<unsigned char>(reason[0])));
        return fail(AttemptOutcome::Failed, std::move(reason));
    };

    file.Rewind();
    const std::uint64_t size = file.Size();
    std::uint64_t count = 0;
    std::uint64_t line = 0;
    Record record;
    std::array<std::uint8_t, kFileBlockSize> block{};
    while (count < size) {
        // Never read past the size taken at the start, so that the progress stays within 0..100
        // even when the file grows while it is sent.
        const std::size_t want = std::size_t(std::min<std::uint64_t>(block.size(), size - count));
        const std::optional<std::size_t> got = file.Read({block.data(), want});
        if (!got || *got == 0 || *got > want) {
            // The file shrank or cannot be read: looping for the missing bytes would never end.
            return fail(AttemptOutcome::Failed,
                        "The lookup file could not be read past byte " + std::to_string(count) +
                            " of " + std::to_string(size) + " (it shrank, or reading failed).");
        }
        count += *got;
        for (std::size_t i = 0; i < *got; ++i) {
            const std::uint8_t b = block[i];
            if (b == kCr) {
                if (auto stop = send(record.Finish(), ++line)) return *stop;
                record.Clear();
            } else if (b != kLf) {
                if (record.Full()) {
                    return fail(AttemptOutcome::Failed,
                                "Line " + std::to_string(line + 1) +
                                    " no longer fits a record: the file changed while it was "
                                    "sent.");
                }
                record.Append(b);
            }
        }
        progress.SetPosition(int(count * 100 / size));
    }
    if (record.length > 0) {
        if (auto stop = send(record.Finish(), ++line)) return *stop;
    }
    progress.SetPosition(100);
    if (auto stop = send(kEndFrame, 0)) return *stop;
    return {};
}

// Reads the transceiver's answer to a probe into one byte. A read that fails is retried, with
// short sleeps, for at most 100 ms; a read that succeeds ends it even when nothing came.
std::uint8_t ReadProbeAnswer(SerialPort& port, Clock& clock, Monitor& monitor) {
    std::uint8_t answer = 0;
    const std::uint32_t start = clock.NowMs();
    std::optional<std::size_t> got;
    while (!(got = port.Read(std::span<std::uint8_t>(&answer, 1)))) {
        if (clock.NowMs() - start > kProbeReadRetryMs) break;
        clock.Sleep(kProbeReadRetryStepMs);
    }
    if (got && *got > 0) monitor.Received(std::span<const std::uint8_t>(&answer, 1));
    return answer;
}

// Brings the transceiver to the rate of `rateIndex` and leaves `config` at that rate, 8N1, with
// DTR and RTS on. The results of the intermediate applies are not examined: a transceiver that
// misses a step shows up as a probe that gets no answer.
bool SetUpTransceiver(SerialPort& port, PortConfig& config, int rateIndex, Clock& clock,
                      UserSide& user, Monitor& monitor) {
    config.baudRate = 38400;
    config.byteSize = 8;
    config.parity = Parity::None;
    config.stopBits = StopBits::One;
    port.ApplyTimeouts(kPortTimeouts);

    config.dtr = true;
    config.rts = true;
    Apply(port, config, monitor);
    Pause(clock);

    bool answered = false;
    for (std::uint32_t rate : kIrProbeRates) {
        config.baudRate = rate;
        config.rts = false;
        Apply(port, config, monitor);
        Pause(clock);
        WriteByte(port, kIrProbe, monitor);
        Pause(clock);
        const std::uint8_t answer = ReadProbeAnswer(port, clock, monitor);
        config.rts = true;
        Apply(port, config, monitor);
        Pause(clock);
        if (answer == kIrProbe) {
            monitor.Note("the transceiver answers at " + std::to_string(rate) + " bit/s");
            answered = true;
            break;
        }
        monitor.Note("no echo from the transceiver at " + std::to_string(rate) + " bit/s");
    }
    if (!answered) {
        user.Message(kMsgCantSetIr, kTitleError, MsgIcon::Warning, MsgButtons::Ok);
        return false;
    }

    config.rts = false;
    Apply(port, config, monitor);
    Pause(clock);
    WriteByte(port, kIrSelect, monitor);
    Pause(clock);
    // The speed code still goes out at the rate that answered: the new rate is only recorded.
    config.baudRate = RateForIndex(rateIndex);
    WriteByte(port, IrSpeedCode(rateIndex), monitor);
    Pause(clock);
    WriteByte(port, kIrCommit, monitor);
    Pause(clock);
    config.rts = true;
    Apply(port, config, monitor);
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

std::string ShowBytes(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F) {
            out += c;
        } else {
            out += '<';
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
            out += '>';
        }
    }
    return out + "\"";
}

std::string ExchangeResult::Reply() const {
    if (!raw.empty() && std::uint8_t(raw.back()) == kCr) return raw.substr(0, raw.size() - 1);
    return raw;
}

ExchangeResult ExchangeFrame(SerialPort& port, Clock& clock, std::span<const std::uint8_t> frame,
                             Monitor& monitor) {
    port.Write(frame);
    monitor.Sent(frame);

    std::array<std::uint8_t, kReplyBufferSize> reply{};
    std::size_t length = 0;
    bool failed = false;
    bool late = false;
    const std::uint32_t start = clock.NowMs();
    while (length < kReplyCollectLimit) {
        // Sleep until a byte arrives or the limit is passed (by 1 ms, as "more than 3000 ms"
        // means), instead of polling; then read as a poll would have.
        const std::uint32_t elapsed = clock.NowMs() - start;
        if (elapsed <= kReplyLimitMs) port.WaitForInput(kReplyLimitMs - elapsed + 1);

        const std::optional<std::size_t> got =
            port.Read(std::span<std::uint8_t>(reply.data() + length, kReplyReadSize));
        // A port that fails (a USB adapter unplugged) will not deliver the rest of the reply.
        if (!got) {
            failed = true;
            break;
        }
        const std::size_t n = std::min(*got, kReplyReadSize);
        length += n;
        if (clock.NowMs() - start > kReplyLimitMs) {
            late = !(n > 0 && reply[length - 1] == kCr);
            break;
        }
        // Only a CR that ends a read ends the reply; one inside a read is part of a bad reply.
        if (n > 0 && reply[length - 1] == kCr) break;
    }
    ExchangeResult result;
    result.raw.assign(reply.begin(), reply.begin() + std::ptrdiff_t(length));
    result.portFailed = failed;
    if (length > 0) monitor.Received({reply.data(), length});
    if (failed) {
        monitor.Note("the device went away: reading from the port failed");
    } else if (late) {
        monitor.Note(length == 0 ? "no answer within 3000 ms" : "no CR within 3000 ms");
    }
    return result;
}

std::string Exchange(SerialPort& port, Clock& clock, std::span<const std::uint8_t> frame) {
    return ExchangeFrame(port, clock, frame, NoMonitor()).Reply();
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

bool ConfigurePort(SerialPort& port, int rateIndex, bool infrared, Clock& clock, UserSide& user,
                   Monitor& monitor) {
    PortConfig config;
    if (infrared) {
        if (!SetUpTransceiver(port, config, rateIndex, clock, user, monitor)) return false;
    } else {
        config.baudRate = RateForIndex(rateIndex);
        config.byteSize = 8;
        config.parity = Parity::None;
        config.stopBits = StopBits::One;
    }
    if (!Apply(port, config, monitor)) {
        user.Message(kMsgCantSetState, kTitleFile, MsgIcon::Warning, MsgButtons::Ok);
        return false;
    }
    return true;
}

std::string WaitingStatus(std::string_view device, int attempt, int attempts) {
    std::string status = "Waiting for the terminal";
    if (!device.empty()) status += " on " + std::string(device);
    return status + " (try " + std::to_string(attempt) + " of " + std::to_string(attempts) + ")...";
}

std::string LineStatus(std::uint64_t line, std::uint64_t lines) {
    return "Line " + std::to_string(line) + " of " + std::to_string(lines);
}

std::string CancelledMessage(const AttemptResult& result) {
    if (!result.answered)
        return "Download cancelled while waiting for the terminal: no line was sent.";
    return "Download cancelled after line " + std::to_string(result.linesSent) + " of " +
           std::to_string(result.lines) + ": the terminal now holds a partial file.";
}

bool DownloadOnce(SerialPort& port, LookupFile& file, ProgressSink& progress, Clock& clock,
                  UserSide& user) {
    return DownloadAttempt(port, file, progress, clock, user, NoMonitor()).outcome ==
           AttemptOutcome::Complete;
}

AttemptResult DownloadAttempt(SerialPort& port, LookupFile& file, ProgressSink& progress,
                              Clock& clock, UserSide& user, Monitor& monitor) {
    port.ApplyTimeouts(kPortTimeouts);
    AttemptResult result;
    result.lines = CountRecords(file);
    const std::string device = port.Device();
    const auto stopped = [&](AttemptOutcome outcome) {
        monitor.Status({});
        result.outcome = outcome;
        return result;
    };
    if (monitor.CancelRequested()) return stopped(AttemptOutcome::Cancelled);

    ExchangeResult last;
    int tries = 0;
    while (tries < kHandshakeTries && !result.answered) {
        monitor.Status(WaitingStatus(device, tries + 1, kHandshakeTries));
        last = ExchangeFrame(port, clock, kHandshakeFrame, monitor);
        ++tries;
        result.answered = IsAck(last.Reply());
        if (last.portFailed) break;
        if (!result.answered && monitor.CancelRequested()) {
            return stopped(AttemptOutcome::Cancelled);
        }
    }
    if (!result.answered) {
        monitor.Status({});
        std::string reason;
        if (last.portFailed) {
            reason = GoneReason(device, "while waiting for the terminal");
        } else {
            reason = "No \"ACK\" to " + std::to_string(tries) + " handshakes from the terminal";
            if (!device.empty()) reason += " on " + device;
            reason += "; " + LastAnswer(last) + ".";
        }
        user.MessageWithReason(kMsgNotReady, reason, kTitleFile, MsgIcon::Warning, MsgButtons::Ok);
        return stopped(last.portFailed ? AttemptOutcome::DeviceGone : AttemptOutcome::Failed);
    }
    if (monitor.CancelRequested()) return stopped(AttemptOutcome::Cancelled);

    progress.Open();
    progress.SetPosition(0);
    const Sending sent = SendFile(port, file, progress, clock, monitor, result);
    progress.Close();
    monitor.Status({});
    switch (sent.outcome) {
        case AttemptOutcome::Complete:
            user.Message(kMsgComplete, kTitleFile, MsgIcon::Warning, MsgButtons::Ok);
            break;
        case AttemptOutcome::Failed:
        case AttemptOutcome::DeviceGone:
            user.MessageWithReason(kMsgDownloadError, sent.reason, kTitleFile, MsgIcon::Warning,
                                   MsgButtons::Ok);
            break;
        case AttemptOutcome::Cancelled:
            break;
    }
    result.outcome = sent.outcome;
    return result;
}

void PurgeInput(SerialPort& port) {
    port.PurgeInput();
}

Monitor& NoMonitor() {
    static Monitor none;
    return none;
}

}  // namespace vantrel
