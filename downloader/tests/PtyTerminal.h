#pragma once
// Linux/POSIX-only: openpty and termios.
// A hand-held terminal simulated on the far side of a pseudo-terminal: it takes the frames the
// PC sends, checks each record's checksum and the line speed, and answers on a thread of its own.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantrel::fake {

class PtyTerminal {
public:
    // What the terminal answers to the n-th frame (counted from 0); the default accepts a good
    // record, the handshake and the end frame with "ACK" CR at once, and refuses a bad checksum.
    using Responder = std::function<std::string(int index, const std::string& frame, bool good)>;

    // Opens the pseudo-terminal and leaves its line in a cooked state (echo, line editing, CR and
    // LF translation, XON/XOFF), which the port must undo. Throws when no pseudo-terminal opens.
    PtyTerminal();
    ~PtyTerminal();
    PtyTerminal(const PtyTerminal&) = delete;
    PtyTerminal& operator=(const PtyTerminal&) = delete;

    // The device the port opens.
    const std::string& Device() const { return device_; }
    // Starts answering frames.
    void Start(Responder respond = {});
    // Stops answering and joins the thread.
    void Stop();
    // Closes the terminal's side, as when the adapter is unplugged.
    void Unplug();

    // Frames received, in order, and the line speed (bit/s) in force when each one arrived.
    std::vector<std::string> Frames() const;
    std::vector<std::uint32_t> Speeds() const;
    // The records' lines (without checksum and CR) that passed the checksum, in order.
    std::vector<std::string> Lines() const;
    int BadChecksums() const;
    // True when the line was raw for every frame: no echo, no canonical mode, no translation.
    bool LineWasRaw() const;

private:
    void Run();
    void Take(const std::string& frame);

    int master_ = -1;
    int slave_ = -1;
    std::string device_;
    Responder respond_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> unplugged_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> frames_;
    std::vector<std::uint32_t> speeds_;
    std::vector<std::string> lines_;
    int bad_ = 0;
    bool raw_ = true;
};

}  // namespace vantrel::fake
