// Linux/POSIX-only: a pseudo-terminal and getrusage.
// Run: downloader_bench. Records per second through a real serial device (a pseudo-terminal)
// with a terminal that answers at once, the protocol's own cost per record with nothing on the
// line, and the CPU time the program burns while a silent terminal lets three handshakes time out.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <cstdlib>
#include <string>

#include "Protocol.h"
#include "PtyTerminal.h"
#include "QtSerialPort.h"
#include "SteadyClock.h"

namespace vantrel {
namespace {

constexpr int kLines = 2000;
constexpr int kLineBytes = 40;

std::string LookupText() {
    std::string text;
    for (int i = 0; i < kLines; ++i) {
        std::string line(kLineBytes, 'a');
        for (int j = 0; j < kLineBytes; ++j)
            line[std::size_t(j)] = char('0' + (i * 7 + j) % 64);
        text += line + "\r\n";
    }
    return text;
}

class TextFile final : public LookupFile {
public:
    explicit TextFile(std::string text) : text_(std::move(text)) {}
    std::uint64_t Size() override { return text_.size(); }
    std::optional<std::size_t> Read(std::span<std::uint8_t> into) override {
        const std::size_t n = std::min(into.size(), text_.size() - pos_);
        std::copy_n(text_.data() + pos_, n, into.data());
        pos_ += n;
        return n;
    }
    void Rewind() override { pos_ = 0; }

private:
    std::string text_;
    std::size_t pos_ = 0;
};

class QuietUser final : public UserSide {
public:
    MsgAnswer Message(std::string_view text, std::string_view, MsgIcon, MsgButtons) override {
        last = text;
        return MsgAnswer::Ok;
    }
    std::string last;
};

class NoProgress final : public ProgressSink {
public:
    void Open() override {}
    void SetPosition(int) override {}
    void Close() override {}
};

std::unique_ptr<QtSerialPort> OpenConfigured(const std::string& device, Clock& clock,
                                             UserSide& user) {
    auto port = QtSerialPort::Open(QString::fromStdString(device));
    if (port && !ConfigurePort(*port, 0, false, clock, user)) port.reset();
    return port;
}

void BM_RecordsOverPty(benchmark::State& state) {
    fake::PtyTerminal terminal;
    SteadyClock clock;
    QuietUser user;
    NoProgress progress;
    auto port = OpenConfigured(terminal.Device(), clock, user);
    if (!port) {
        state.SkipWithError("cannot open the pseudo-terminal");
        return;
    }
    terminal.Start();
    TextFile file(LookupText());
    for (auto _ : state) {
        if (!DownloadOnce(*port, file, progress, clock, user)) state.SkipWithError("failed");
    }
    terminal.Stop();
    state.SetItemsProcessed(state.iterations() * kLines);
    state.counters["us_per_record"] = benchmark::Counter(
        double(state.iterations() * kLines),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}
BENCHMARK(BM_RecordsOverPty)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// The protocol alone: a port that accepts every frame at once, without any system call.
class AckPort final : public SerialPort {
public:
    void SetQueueSizes(int, int) override {}
    bool ApplyConfig(const PortConfig&) override { return true; }
    void ApplyTimeouts(const PortTimeouts&) override {}
    void Write(std::span<const std::uint8_t>) override { left_ = 4; }
    void WaitForInput(std::uint32_t) override {}
    std::optional<std::size_t> Read(std::span<std::uint8_t> into) override {
        static constexpr char kAck[] = "ACK\r";
        std::size_t n = 0;
        while (n < into.size() && left_ > 0)
            into[n++] = std::uint8_t(kAck[4 - left_--]);
        return n;
    }
    void PurgeInput() override {}

private:
    int left_ = 0;
};

void BM_RecordsProtocolOnly(benchmark::State& state) {
    AckPort port;
    SteadyClock clock;
    QuietUser user;
    NoProgress progress;
    TextFile file(LookupText());
    for (auto _ : state)
        DownloadOnce(port, file, progress, clock, user);
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_RecordsProtocolOnly)->Unit(benchmark::kMicrosecond);

// CPU seconds of the whole process (`who` RUSAGE_SELF, the simulated terminal's thread included)
// or of the calling thread alone (RUSAGE_THREAD: the downloader, which runs on one thread).
double CpuSeconds(int who) {
    rusage r{};
    ::getrusage(who, &r);
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
           double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

// Three handshakes of 3 s each with nobody answering: the wall time is the protocol's, the CPU
// time should be close to nothing.
void BM_SilentTerminalCpu(benchmark::State& state) {
    fake::PtyTerminal terminal;
    SteadyClock clock;
    QuietUser user;
    NoProgress progress;
    auto port = OpenConfigured(terminal.Device(), clock, user);
    if (!port) {
        state.SkipWithError("cannot open the pseudo-terminal");
        return;
    }
    terminal.Start([](int, const std::string&, bool) { return std::string(); });
    TextFile file("AB\r\n");
    double process = 0;
    double downloader = 0;
    for (auto _ : state) {
        const double processBefore = CpuSeconds(RUSAGE_SELF);
        const double downloaderBefore = CpuSeconds(RUSAGE_THREAD);
        DownloadOnce(*port, file, progress, clock, user);
        downloader += CpuSeconds(RUSAGE_THREAD) - downloaderBefore;
        process += CpuSeconds(RUSAGE_SELF) - processBefore;
    }
    terminal.Stop();
    if (user.last != kMsgNotReady) state.SkipWithError("the terminal answered");
    state.counters["downloader_cpu_s"] = downloader / double(state.iterations());
    state.counters["process_cpu_s"] = process / double(state.iterations());
}
BENCHMARK(BM_SilentTerminalCpu)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace
}  // namespace vantrel

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
