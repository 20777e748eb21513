// Linux/POSIX-only: openpty and termios.
#include "PtyTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>

#include "Protocol.h"

namespace vantrel::fake {

namespace {

std::uint32_t SpeedOf(speed_t s) {
    switch (s) {
        case B9600:
            return 9600;
        case B19200:
            return 19200;
        case B38400:
            return 38400;
        case B57600:
            return 57600;
        case B115200:
            return 115200;
        default:
            return 0;
    }
}

const std::string kHandshake(kHandshakeFrame.begin(), kHandshakeFrame.end());
const std::string kOver(kEndFrame.begin(), kEndFrame.end());

}  // namespace

PtyTerminal::PtyTerminal() {
    if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    device_ = ::ttyname(slave_);
    termios t{};
    ::tcgetattr(slave_, &t);
    t.c_iflag |= ICRNL | IXON | IXOFF;
    t.c_oflag |= OPOST | ONLCR | OCRNL;
    t.c_lflag |= ECHO | ICANON | ISIG | IEXTEN;
    t.c_cflag = (t.c_cflag & ~CSIZE) | CS7 | PARENB;
    ::cfsetspeed(&t, B1200);
    ::tcsetattr(slave_, TCSANOW, &t);
}

PtyTerminal::~PtyTerminal() {
    Stop();
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
}

void PtyTerminal::Start(Responder respond) {
    respond_ = respond ? std::move(respond) : Responder([](int, const std::string&, bool good) {
        return std::string(good ? "ACK\r" : "ERR\r");
    });
    stop_ = false;
    thread_ = std::thread(&PtyTerminal::Run, this);
}

void PtyTerminal::Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

void PtyTerminal::Unplug() {
    unplugged_ = true;
}

void PtyTerminal::Run() {
    std::string pending;
    char buf[512];
    while (!stop_) {
        if (unplugged_ && master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
        if (master_ < 0) {
            ::usleep(10000);
            continue;
        }
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0 || (p.revents & POLLIN) == 0) continue;
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n <= 0) continue;
        pending.append(buf, std::size_t(n));
        // A frame ends with CR, except the handshake, whose CR 0x00 CR is one frame.
        for (;;) {
            std::size_t end;
            if (pending.rfind(kHandshake.substr(0, 5), 0) == 0) {
                if (pending.size() < kHandshake.size()) break;
                end = kHandshake.size();
            } else {
                const std::size_t cr = pending.find('\r');
                if (cr == std::string::npos) break;
                end = cr + 1;
            }
            Take(pending.substr(0, end));
            pending.erase(0, end);
        }
    }
}

void PtyTerminal::Take(const std::string& frame) {
    termios t{};
    ::tcgetattr(slave_, &t);
    const bool raw = (t.c_lflag & (ECHO | ICANON | ISIG | IEXTEN)) == 0 &&
                     (t.c_iflag & (ICRNL | INLCR | IGNCR | IXON | IXOFF)) == 0 &&
                     (t.c_oflag & OPOST) == 0 && (t.c_cflag & CSIZE) == CS8 &&
                     (t.c_cflag & (PARENB | CSTOPB | CRTSCTS)) == 0 && (t.c_cflag & CREAD) != 0;

    bool good = frame == kHandshake || frame == kOver;
    std::string line;
    if (!good && frame.size() >= 3) {
        line = frame.substr(0, frame.size() - 3);
        std::uint32_t sum = 0;
        for (unsigned char c : line)
            sum += c;
        const auto check = ChecksumBytes(std::uint16_t(sum));
        good = std::uint8_t(frame[frame.size() - 3]) == check[0] &&
               std::uint8_t(frame[frame.size() - 2]) == check[1];
    }
    int index;
    {
        std::lock_guard lock(mutex_);
        index = int(frames_.size());
        frames_.push_back(frame);
        speeds_.push_back(SpeedOf(::cfgetospeed(&t)));
        raw_ = raw_ && raw;
        if (!good) ++bad_;
        if (good && frame != kHandshake && frame != kOver) lines_.push_back(line);
    }
    const std::string reply = respond_(index, frame, good);
    if (!reply.empty()) {
        [[maybe_unused]] ssize_t w = ::write(master_, reply.data(), reply.size());
    }
}

std::vector<std::string> PtyTerminal::Frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

std::vector<std::uint32_t> PtyTerminal::Speeds() const {
    std::lock_guard lock(mutex_);
    return speeds_;
}

std::vector<std::string> PtyTerminal::Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

int PtyTerminal::BadChecksums() const {
    std::lock_guard lock(mutex_);
    return bad_;
}

bool PtyTerminal::LineWasRaw() const {
    std::lock_guard lock(mutex_);
    return raw_;
}

}  // namespace vantrel::fake
