#include "QtSerialPort.h"

#include <QElapsedTimer>
#include <algorithm>

#include "PortDevice.h"

namespace vantrel {

std::unique_ptr<QtSerialPort> QtSerialPort::Open(const QString& device) {
    std::unique_ptr<QtSerialPort> self(new QtSerialPort);
    QSerialPort& port = self->port_;
    port.setPortName(device);
    // Opening sets the whole line in raw mode (no echo, no line editing, no translation of CR or
    // LF either way, receiver on, modem lines ignored) whatever state the device was left in;
    // the framing below completes it.
    port.setBaudRate(QSerialPort::Baud115200);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    if (!port.open(QIODevice::ReadWrite)) return nullptr;
    return self;
}

QtSerialPort::~QtSerialPort() {
    if (port_.isOpen()) port_.close();
}

void QtSerialPort::SetQueueSizes(int, int) {
    // The system's queues are larger than the sizes asked for; nothing to request.
}

bool QtSerialPort::ApplyConfig(const PortConfig& config) {
    port_.clearError();
    const bool framed =
        config.byteSize == 8 && config.parity == Parity::None && config.stopBits == StopBits::One;
    if (!framed || config.baudRate == 0) return false;
    const QSerialPort::FlowControl flow = config.ctsOutFlow ? QSerialPort::HardwareControl
                                          : config.xonXoff  ? QSerialPort::SoftwareControl
                                                            : QSerialPort::NoFlowControl;
    const bool ok = port_.setBaudRate(qint32(config.baudRate)) &&
                    port_.setDataBits(QSerialPort::Data8) &&
                    port_.setParity(QSerialPort::NoParity) &&
                    port_.setStopBits(QSerialPort::OneStop) && port_.setFlowControl(flow);
    // Pseudo-terminals and some adapters have no modem lines; the direct link does not need
    // them and the transceiver's set-up does not check them, so a refusal here is no failure.
    port_.setDataTerminalReady(config.dtr);
    if (!config.ctsOutFlow) port_.setRequestToSend(config.rts);
    port_.clearError();
    return ok;
}

void QtSerialPort::ApplyTimeouts(const PortTimeouts& timeouts) {
    timeouts_ = timeouts;
}

void QtSerialPort::Write(std::span<const std::uint8_t> bytes) {
    port_.clearError();
    port_.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    const qint64 limit = qint64(timeouts_.writeTotalConstant) +
                         qint64(timeouts_.writeTotalMultiplier) * qint64(bytes.size());
    QElapsedTimer timer;
    timer.start();
    while (port_.bytesToWrite() > 0 && !Failed()) {
        const qint64 left = limit - timer.elapsed();
        if (left <= 0 || !port_.waitForBytesWritten(int(left))) break;
    }
    // Like a write that timed out, give up on what could not be sent, so that it does not
    // leak into the next frame.
    if (port_.bytesToWrite() > 0) port_.clear(QSerialPort::Output);
}

void QtSerialPort::WaitForInput(std::uint32_t ms) {
    if (port_.bytesAvailable() > 0) return;
    port_.clearError();
    port_.waitForReadyRead(int(std::min<std::uint32_t>(ms, 0x7FFFFFFF)));
}

std::optional<std::size_t> QtSerialPort::Read(std::span<std::uint8_t> into) {
    if (port_.bytesAvailable() == 0) {
        // Without an event loop, bytes move from the device into the port's buffer only here.
        port_.clearError();
        port_.waitForReadyRead(0);
        if (Failed()) return std::nullopt;
    }
    const qint64 n = port_.read(reinterpret_cast<char*>(into.data()), qint64(into.size()));
    if (n < 0) return std::nullopt;
    return std::size_t(n);
}

void QtSerialPort::PurgeInput() {
    port_.clearError();
    port_.clear(QSerialPort::Input);
}

bool QtSerialPort::Failed() const {
    const QSerialPort::SerialPortError e = port_.error();
    return e != QSerialPort::NoError && e != QSerialPort::TimeoutError;
}

std::unique_ptr<SerialPort> QtPortOpener::Open(std::string_view name) {
    return QtSerialPort::Open(QString::fromStdString(DeviceForPort(name)));
}

}  // namespace vantrel
