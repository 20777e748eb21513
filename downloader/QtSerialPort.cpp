#include "QtSerialPort.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSerialPortInfo>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "PortDevice.h"

#ifndef _WIN32
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace vantrel {

namespace {

std::string Local(const QString& s) {
    return QFile::encodeName(s).toStdString();
}

#ifndef _WIN32
// "vantrel, process 812" for a process id, or the id alone when its name cannot be read.
std::string DescribeProcess(long long pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    const std::string process = "process " + std::to_string(pid);
    return name.empty() ? process : name + ", " + process;
}

// Who holds a lock on the device, from the system's table of file locks (Linux); empty when
// it cannot tell.
std::string FlockHolder(const std::string& device) {
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0) return {};
    char key[64];
    std::snprintf(key, sizeof key, "%02x:%02x:%llu", major(st.st_dev), minor(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino));
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        // "1: FLOCK  ADVISORY  WRITE 812 00:05:17 0 EOF"; waiters carry "->" after the number.
        std::istringstream fields(line);
        std::string number, kind, mode, access, id;
        long long pid = 0;
        fields >> number >> kind;
        if (kind == "->") fields >> kind;
        fields >> mode >> access >> pid >> id;
        if (kind == "FLOCK" && id == key) return DescribeProcess(pid);
    }
    return {};
}

// Who holds the lock file that Qt keeps for the device ("minicom, process 812"); empty when
// there is none or it names nobody.
std::string LockFileHolder(const std::string& device) {
    std::string name = device.rfind("/dev/", 0) == 0 ? device.substr(5) : device;
    std::replace(name.begin(), name.end(), '/', '_');
    const QString lockName = QStringLiteral("LCK..") + QFile::decodeName(name.c_str());
    for (const QString& dir : {QStringLiteral("/var/lock"), QStringLiteral("/run/lock"),
                               QStringLiteral("/etc/locks"), QStringLiteral("/var/spool/locks"),
                               QStringLiteral("/var/spool/uucp"), QDir::tempPath()}) {
        const QString path = dir + '/' + lockName;
        if (!QFileInfo::exists(path)) continue;
        QLockFile lock(path);
        qint64 pid = 0;
        QString host, app;
        if (!lock.getLockInfo(&pid, &host, &app)) continue;
        const std::string process = "process " + std::to_string(pid);
        return app.isEmpty() ? process : Local(app) + ", " + process;
    }
    return {};
}

// The device's group, for the remedy of a permission failure.
std::string DeviceGroup(const std::string& device) {
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0) return {};
    const group* g = ::getgrgid(st.st_gid);
    return g ? g->gr_name : std::string();
}
#endif

// Tells a missing device, a refused permission, a device in use and something that is no serial
// line apart, from the port's error and a look at the device itself.
PortFailure ClassifyOpenFailure(const QSerialPort& port, const std::string& device) {
    PortFailure failure;
    failure.device = device;
    failure.systemText = Local(port.errorString());
    switch (port.error()) {
        case QSerialPort::DeviceNotFoundError:
            failure.problem = PortProblem::Missing;
            break;
        case QSerialPort::PermissionError:
#ifndef _WIN32
            // Qt reports a held lock file, EBUSY and EACCES all as a permission error.
            if (::access(device.c_str(), R_OK | W_OK) != 0 && errno == EACCES) {
                failure.problem = PortProblem::PermissionDenied;
                failure.systemText = std::strerror(EACCES);
                failure.group = DeviceGroup(device);
            } else {
                failure.problem = PortProblem::Busy;
                failure.holder = LockFileHolder(device);
            }
#else
            failure.problem = PortProblem::Busy;
#endif
            break;
        case QSerialPort::UnsupportedOperationError:
            failure.problem = PortProblem::NotSerial;
            break;
        default:
            failure.problem = PortProblem::Other;
            break;
    }
#ifndef _WIN32
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0 && errno == ENOENT) {
        failure.problem = PortProblem::Missing;
        failure.systemText = std::strerror(ENOENT);
    }
#endif
    return failure;
}

}  // namespace

std::unique_ptr<QtSerialPort> QtSerialPort::Open(const QString& device) {
    return OpenWithReason(device).port;
}

QtPortOpening QtSerialPort::OpenWithReason(const QString& device) {
    QtPortOpening opening;
    opening.failure.device = QFile::encodeName(device).toStdString();
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
    if (!port.open(QIODevice::ReadWrite)) {
        opening.failure = ClassifyOpenFailure(port, opening.failure.device);
        return opening;
    }
#ifndef _WIN32
    // The lock file and TIOCEXCL above are keyed by the name, and root passes TIOCEXCL: a lock on
    // the open device is held by whoever reaches it under any name.
    if (::flock(int(port.handle()), LOCK_EX | LOCK_NB) != 0) {
        opening.failure.problem = PortProblem::Busy;
        opening.failure.systemText = std::strerror(errno);
        opening.failure.holder = FlockHolder(opening.failure.device);
        port.close();
        return opening;
    }
#endif
    self->device_ = opening.failure.device;
    opening.port = std::move(self);
    return opening;
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
    const int limit = int(std::min<std::uint32_t>(ms, 0x7FFFFFFF));
    if (!QCoreApplication::instance()) {
        port_.waitForReadyRead(limit);
        return;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&port_, &QSerialPort::readyRead, &loop, &QEventLoop::quit);
    QObject::connect(&port_, &QSerialPort::errorOccurred, &loop, &QEventLoop::quit);
    timer.start(limit);
    loop.exec();
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

std::string QtSerialPort::Device() const {
    return device_;
}

bool QtSerialPort::Failed() const {
    const QSerialPort::SerialPortError e = port_.error();
    return e != QSerialPort::NoError && e != QSerialPort::TimeoutError;
}

std::unique_ptr<SerialPort> QtPortOpener::Open(std::string_view name) {
    QtPortOpening opening =
        QtSerialPort::OpenWithReason(QFile::decodeName(DeviceForPort(name).c_str()));
    failure_ = opening.failure;
    return std::move(opening.port);
}

}  // namespace vantrel

namespace vantrel {

std::vector<SerialDeviceInfo> SystemSerialDevices() {
    std::vector<SerialDeviceInfo> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialDeviceInfo device;
        device.path = Local(info.systemLocation());
#ifndef _WIN32
        device.byId = LinkTo(device.path, "/dev/serial/by-id");
#endif
        device.description = info.description().toStdString();
        device.maker = info.manufacturer().toStdString();
        devices.push_back(device);
    }
    return devices;
}

std::vector<PortChoice> SystemPortChoices() {
    return ListPortChoices(SystemSerialDevices());
}

std::vector<std::string> QtPortOpener::SerialDevices() const {
    std::vector<std::string> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        devices.push_back(Local(info.systemLocation()));
    return devices;
}

}  // namespace vantrel
