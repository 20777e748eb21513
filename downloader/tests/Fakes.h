#pragma once
// Scripted stand-ins for the port, the clock, the lookup file and the user, so that protocol
// tests run in microseconds whatever time limits they cross.

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Link.h"

namespace vantrel::fake {

inline std::string Bytes(std::span<const std::uint8_t> b) {
    return std::string(b.begin(), b.end());
}

// Time moves only when the code under test sleeps or waits for input.
class FakeClock final : public Clock {
public:
    explicit FakeClock(std::uint32_t start = 1000) : start_(start) {}
    std::uint32_t NowMs() override { return start_ + std::uint32_t(elapsed_); }
    void Sleep(std::uint32_t ms) override {
        ++sleeps;
        elapsed_ += ms;
    }
    void Advance(std::uint64_t ms) { elapsed_ += ms; }
    // Milliseconds since the clock was made.
    std::uint64_t Elapsed() const { return elapsed_; }
    int sleeps = 0;

private:
    std::uint32_t start_;
    std::uint64_t elapsed_ = 0;
};

// One piece of a reply: its bytes arrive together, `delayMs` after the frame was written.
struct Chunk {
    std::uint32_t delayMs;
    std::string bytes;
};
using Reply = std::vector<Chunk>;

// What the port saw written, with the line settings in force at that moment.
struct Written {
    std::string bytes;
    PortConfig config;
};

// A port whose far end answers every write through `respond`.
class FakePort final : public SerialPort {
public:
    explicit FakePort(FakeClock& clock) : clock_(clock) {}

    // Answers a written frame; by default a terminal that acknowledges at once.
    std::function<Reply(const std::string& frame, const PortConfig& config)> respond =
        [](const std::string&, const PortConfig&) {
            return Reply{{0, "ACK\r"}};
        };

    void SetQueueSizes(int input, int output) override {
        inputQueue = input;
        outputQueue = output;
    }
    bool ApplyConfig(const PortConfig& config) override {
        applied.push_back(config);
        if (!acceptConfig) return false;
        current = config;
        return true;
    }
    void ApplyTimeouts(const PortTimeouts& t) override { timeouts.push_back(t); }
    void Write(std::span<const std::uint8_t> bytes) override {
        writes.push_back({Bytes(bytes), current});
        if (broken) return;
        for (Chunk& c : respond(writes.back().bytes, current)) {
            pending_.push_back({clock_.Elapsed() + c.delayMs, std::move(c.bytes)});
        }
        std::stable_sort(pending_.begin(), pending_.end(),
                         [](const Pending& a, const Pending& b) { return a.at < b.at; });
    }
    void WaitForInput(std::uint32_t ms) override {
        ++waits;
        if (broken || Arrived() > 0) return;
        const std::uint64_t deadline = clock_.Elapsed() + ms;
        const std::uint64_t next = pending_.empty() ? deadline : pending_.front().at;
        clock_.Advance(std::min(next, deadline) - clock_.Elapsed());
    }
    std::optional<std::size_t> Read(std::span<std::uint8_t> into) override {
        ++reads;
        if (broken) return std::nullopt;
        std::size_t n = 0;
        while (n < into.size() && !pending_.empty() && pending_.front().at <= clock_.Elapsed()) {
            std::string& b = pending_.front().bytes;
            const std::size_t take = std::min(into.size() - n, b.size());
            std::copy_n(b.begin(), take, into.begin() + std::ptrdiff_t(n));
            n += take;
            b.erase(0, take);
            if (b.empty()) pending_.pop_front();
        }
        return n;
    }
    void PurgeInput() override {
        ++purges;
        std::erase_if(pending_, [&](const Pending& p) { return p.at <= clock_.Elapsed(); });
    }
    std::string Device() const override { return device; }

    // The frames written, without the line settings.
    std::vector<std::string> Frames() const {
        std::vector<std::string> out;
        for (const Written& w : writes)
            out.push_back(w.bytes);
        return out;
    }

    std::vector<Written> writes;
    std::vector<PortConfig> applied;
    std::vector<PortTimeouts> timeouts;
    PortConfig current;
    bool acceptConfig = true;
    bool broken = false;  // every read fails and nothing answers, as with an unplugged adapter
    std::string device;
    int inputQueue = 0, outputQueue = 0, reads = 0, waits = 0, purges = 0;

private:
    struct Pending {
        std::uint64_t at;
        std::string bytes;
    };
    std::size_t Arrived() const {
        return !pending_.empty() && pending_.front().at <= clock_.Elapsed() ? 1 : 0;
    }
    FakeClock& clock_;
    std::deque<Pending> pending_;
};

// An open port that forwards to a port the test keeps, so that the test can look at it after
// the code under test closed it.
class PortHandle final : public SerialPort {
public:
    explicit PortHandle(SerialPort& target) : target_(target) {}
    void SetQueueSizes(int input, int output) override { target_.SetQueueSizes(input, output); }
    bool ApplyConfig(const PortConfig& config) override { return target_.ApplyConfig(config); }
    void ApplyTimeouts(const PortTimeouts& t) override { target_.ApplyTimeouts(t); }
    void Write(std::span<const std::uint8_t> bytes) override { target_.Write(bytes); }
    void WaitForInput(std::uint32_t ms) override { target_.WaitForInput(ms); }
    std::optional<std::size_t> Read(std::span<std::uint8_t> into) override {
        return target_.Read(into);
    }
    void PurgeInput() override { target_.PurgeInput(); }
    std::string Device() const override { return target_.Device(); }

private:
    SerialPort& target_;
};

// A lookup file in memory. `reportedSize` makes Size() lie (a file that shrank after its size
// was taken); `failAt` makes reads fail once the position reaches it.
class MemoryFile final : public LookupFile {
public:
    explicit MemoryFile(std::string content) : content_(std::move(content)) {}
    std::uint64_t Size() override { return reportedSize.value_or(content_.size()); }
    std::optional<std::size_t> Read(std::span<std::uint8_t> into) override {
        if (failAt && position >= *failAt) return std::nullopt;
        const std::size_t n = std::min(into.size(), content_.size() - position);
        std::copy_n(content_.begin() + std::ptrdiff_t(position), n, into.begin());
        position += n;
        return n;
    }
    void Rewind() override {
        ++rewinds;
        position = 0;
    }
    std::size_t position = 0;
    int rewinds = 0;
    std::optional<std::uint64_t> reportedSize;
    std::optional<std::size_t> failAt;

private:
    std::string content_;
};

struct Shown {
    std::string text;
    std::string title;
    MsgIcon icon;
    MsgButtons buttons;
    bool operator==(const Shown&) const = default;
};

// Records every message and answers from a queue (then No for questions, Ok otherwise).
class FakeUser final : public UserSide {
public:
    MsgAnswer Message(std::string_view text, std::string_view title, MsgIcon icon,
                      MsgButtons buttons) override {
        shown.push_back({std::string(text), std::string(title), icon, buttons});
        reasons.emplace_back();
        if (!answers.empty()) {
            MsgAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
    }
    // Records the reason beside the message: `reasons` has one entry per message.
    MsgAnswer MessageWithReason(std::string_view text, std::string_view reason,
                                std::string_view title, MsgIcon icon, MsgButtons buttons) override {
        const MsgAnswer answer = Message(text, title, icon, buttons);
        reasons.back() = std::string(reason);
        return answer;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const Shown& s : shown)
            out.push_back(s.text);
        return out;
    }
    std::vector<Shown> shown;
    std::vector<std::string> reasons;
    std::deque<MsgAnswer> answers;
};

// Records the progress calls as "open", "close" and the positions.
class FakeProgress final : public ProgressSink {
public:
    void Open() override { events.push_back("open"); }
    void SetPosition(int percent) override { events.push_back(std::to_string(percent)); }
    void Close() override { events.push_back("close"); }
    std::vector<std::string> events;
};

}  // namespace vantrel::fake
