#pragma once
// The serial port on a real device, through Qt SerialPort, used without an event loop: every
// operation blocks for at most its own time limit.

#include <QSerialPort>
#include <memory>

#include "Link.h"
#include "PortDevice.h"

namespace vantrel {

class QtSerialPort;

// An open port, or why the device did not open.
struct QtPortOpening {
    std::unique_ptr<QtSerialPort> port;
    PortFailure failure;
};

class QtSerialPort final : public SerialPort {
public:
    // Opens `device` exclusively for reading and writing and puts its line in raw mode; null when
    // it does not exist, is in use or is no serial line. Exclusive means by the device itself:
    // a second program that reaches it under another name (a symbolic link, a by-id name) is
    // refused too, whoever runs it.
    static std::unique_ptr<QtSerialPort> Open(const QString& device);
    // The same, with what kept the device from opening.
    static QtPortOpening OpenWithReason(const QString& device);
    ~QtSerialPort() override;

    void SetQueueSizes(int input, int output) override;
    bool ApplyConfig(const PortConfig& config) override;
    void ApplyTimeouts(const PortTimeouts& timeouts) override;
    void Write(std::span<const std::uint8_t> bytes) override;
    // Runs the event loop meanwhile, so that a window stays painted and its Cancel button can
    // be pressed; without an application object it only blocks.
    void WaitForInput(std::uint32_t ms) override;
    std::optional<std::size_t> Read(std::span<std::uint8_t> into) override;
    void PurgeInput() override;
    std::string Device() const override;

private:
    QtSerialPort() = default;
    // True when the last operation left an error that means the device is unusable.
    bool Failed() const;

    QSerialPort port_;
    std::string device_;
    PortTimeouts timeouts_ = kPortTimeouts;
};

// Opens "COM1".."COM6" on the devices DeviceForPort names, and any other name as a device path.
class QtPortOpener final : public PortOpener {
public:
    std::unique_ptr<SerialPort> Open(std::string_view name) override;
    PortFailure LastFailure() const override { return failure_; }
    // The devices the system lists as serial ports.
    std::vector<std::string> SerialDevices() const override;

private:
    PortFailure failure_;
};

// The serial devices the system lists, with their by-id names, descriptions and makers.
std::vector<SerialDeviceInfo> SystemSerialDevices();

// The entries of the port list: COM1..COM6 and the system's serial devices.
std::vector<PortChoice> SystemPortChoices();

}  // namespace vantrel
