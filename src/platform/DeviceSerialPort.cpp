#include "platform/DeviceSerialPort.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "base/ForeignText.h"
#include "platform/PortTrouble.h"
#include "platform/SystemText.h"
#include "platform/TtyControl.h"

namespace korvel::platform {

namespace {

QSerialPort::Parity parityOf(link::Parity parity)
{
    switch (parity) {
    case link::Parity::Even:
        return QSerialPort::EvenParity;
    case link::Parity::Odd:
        return QSerialPort::OddParity;
    case link::Parity::None:
        break;
    }
    return QSerialPort::NoParity;
}

// The likely cause of a failure of the line and what to do about it, added to
// the text of whichever operation noticed it.
std::string advice(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::ResourceError:
        return ": it vanished (the adapter was unplugged, or the other end hung up). "
               "Plug it in again or check the cable, then start the download again.";
    case QSerialPort::TimeoutError:
        return ": the target held the output with XOFF and sent no XON for " +
               std::to_string(DeviceSerialPort::kWriteWaitMs / 1000) +
               " s. Reset the target, then start the download again.";
    case QSerialPort::WriteError:
    case QSerialPort::ReadError:
        return ". Check the cable and the adapter, then start the download again.";
    default:
        return {};
    }
}

}  // namespace

DeviceSerialPort::DeviceSerialPort(PortMap ports, PortLocks locks) : ports_(std::move(ports)), locks_(std::move(locks))
{
    QObject::connect(&port_, &QSerialPort::errorOccurred, &port_,
                     [this](QSerialPort::SerialPortError error) { onError(error); });
}

DeviceSerialPort::~DeviceSerialPort()
{
    close();
}

void DeviceSerialPort::setPortNumber(int number)
{
    portNumber_ = number;
}

int DeviceSerialPort::portNumber() const
{
    return portNumber_;
}

void DeviceSerialPort::setDevice(std::string device)
{
    givenDevice_ = std::move(device);
}

std::string DeviceSerialPort::portLabel() const
{
    return portName();
}

// QSerialPort keeps the settings of a closed port for its next open.
void DeviceSerialPort::setLineSettings(const link::LineSettings& settings)
{
    port_.setBaudRate(settings.baudRate);
    port_.setDataBits(settings.dataBits == link::DataBits::Seven ? QSerialPort::Data7 : QSerialPort::Data8);
    port_.setParity(parityOf(settings.parity));
    port_.setStopBits(settings.stopBits == link::StopBits::Two ? QSerialPort::TwoStop : QSerialPort::OneStop);
    port_.setFlowControl(settings.flowControl == link::FlowControl::XonXoff ? QSerialPort::SoftwareControl
                                                                            : QSerialPort::NoFlowControl);
}

void DeviceSerialPort::open()
{
    if (port_.isOpen())
        throw link::PortError(portName() + " is already open");
    lastEventCode_ = 0;
    lastErrorText_.clear();
    failed_ = false;

    const auto device = deviceToOpen();
    if (!device)
        fail(QSerialPort::DeviceNotFoundError, portName() + ": " + unmappedTrouble(ports_));
    port_.setPortName(QFile::decodeName(device->c_str()));

    // The serial library would remove the lock of a running program that it
    // does not know by name: such a port is refused before it gets there.
    if (const auto lock = locks_.clearWay(*device))
        fail(QSerialPort::PermissionError, portName() + ": " + lock->text);
    if (!port_.open(QIODevice::ReadWrite)) {
        const auto error = lastEventCode_ == 0 ? QSerialPort::OpenError : QSerialPort::SerialPortError(lastEventCode_);
        const DeviceDiagnosis diagnosis = diagnoseDevice(*device, error, programText(port_.errorString()), locks_);
        fail(error, portName() + ": " + openTrouble(diagnosis, ports_), openCause(diagnosis));
    }
    // Another program may hold the device with a lock of its own only: the
    // system then lets a second opener in, the lock does not.
    if (!tty::lockExclusive(port_.handle())) {
        closeQuietly();
        const DeviceDiagnosis diagnosis = diagnoseDevice(*device, QSerialPort::PermissionError, "in use", locks_);
        fail(QSerialPort::PermissionError, portName() + ": " + openTrouble(diagnosis, ports_), openCause(diagnosis));
    }
    if (!tty::resumeOnlyOnXon(port_.handle())) {
        closeQuietly();
        fail(QSerialPort::OpenError, portName() + ": the device refused its flow control settings");
    }
    tty::requestLowLatency(port_.handle());
}

void DeviceSerialPort::close()
{
    closeQuietly();
}

bool DeviceSerialPort::isOpen() const
{
    return port_.isOpen();
}

// Bytes go straight to the device while our transmit queue is empty; only what
// the device does not take waits in the queue, which QSerialPort sends as the
// device makes room. Queuing everything would arm QSerialPort's write
// notifier on every write; on a device with room that notifier fires at once,
// and every wait for the next event would end without waiting.
void DeviceSerialPort::write(std::string_view bytes)
{
    requireUsable();
    while (!bytes.empty()) {
        if (port_.bytesToWrite() == 0) {
            bytes.remove_prefix(writeToDevice(bytes));
            if (bytes.empty())
                return;
        }
        const qint64 room = kTransmitQueueSize - port_.bytesToWrite();
        if (room <= 0) {
            waitForRoom();
            continue;
        }
        const qint64 count = std::min<qint64>(room, qint64(bytes.size()));
        if (port_.write(bytes.data(), count) != count)
            fail(QSerialPort::WriteError, portName() + ": the write was refused");
        bytes.remove_prefix(std::size_t(count));
    }
}

int DeviceSerialPort::bytesWaiting()
{
    requireUsable();
    return int(std::min<qint64>(port_.bytesAvailable() + bytesInDevice(), INT_MAX));
}

// What QSerialPort took when events last ran; when it took nothing, what the
// device holds now. Bytes that came after QSerialPort's read follow at the
// next call, which saves asking the device once per answer.
std::string DeviceSerialPort::readAll()
{
    requireUsable();
    std::string received(std::size_t(port_.bytesAvailable()), '\0');
    if (!received.empty())
        port_.read(received.data(), qint64(received.size()));
    else
        takeInputFromDevice(received);
    return received;
}

void DeviceSerialPort::discardInput()
{
    requireUsable();
    port_.clear(QSerialPort::Input);
}

int DeviceSerialPort::bytesQueued()
{
    if (!port_.isOpen())
        return 0;
    return int(std::min<qint64>(port_.bytesToWrite() + tty::bytesInOutput(port_.handle()), INT_MAX));
}

void DeviceSerialPort::discardOutput()
{
    if (port_.isOpen())
        port_.clear(QSerialPort::Output);
}

int DeviceSerialPort::lastEventCode() const
{
    return lastEventCode_;
}

void DeviceSerialPort::onError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || closing_)
        return;
    const bool lost =
        error == QSerialPort::ReadError || error == QSerialPort::WriteError || error == QSerialPort::ResourceError;
    if (lost && port_.isOpen() && tty::errorWasTransient(port_.handle()))
        return;
    // A device that no longer answers has vanished, whichever of reading or
    // writing noticed it first: the same event gives the same code.
    if (lost) {
        failed_ = true;
        lastEventCode_ = QSerialPort::ResourceError;
        lastErrorText_ = portName() + ": the device no longer answers" + advice(QSerialPort::ResourceError);
        return;
    }
    lastEventCode_ = error;
    lastErrorText_ = portName() + ": " + programText(port_.errorString());
}

void DeviceSerialPort::fail(QSerialPort::SerialPortError code, const std::string& what, const std::string& cause)
{
    lastEventCode_ = code;
    lastErrorText_ = what + advice(code);
    throw link::PortError(lastErrorText_, cause);
}

void DeviceSerialPort::closeQuietly()
{
    if (!port_.isOpen())
        return;
    closing_ = true;
    port_.close();
    closing_ = false;
}

void DeviceSerialPort::requireUsable()
{
    if (!port_.isOpen())
        fail(QSerialPort::NotOpenError, portName() + " is not open");
    if (failed_)
        throw link::PortError(lastErrorText_);
}

// Received bytes that the device holds and QSerialPort has not taken yet. A
// device that is gone is noticed here even when no event reported it yet.
int DeviceSerialPort::bytesInDevice()
{
    const int count = tty::bytesInDevice(port_.handle());
    if (count < 0) {
        failed_ = true;
        fail(QSerialPort::ResourceError, portName() + ": the device no longer answers");
    }
    return count;
}

// Appends what the device holds, read straight from it: a pass through
// QSerialPort's own reading would cost a wait for readiness that the count
// already answered, and a copy through its buffer.
void DeviceSerialPort::takeInputFromDevice(std::string& received)
{
    const int inDevice = bytesInDevice();
    if (inDevice == 0)
        return;
    const std::size_t before = received.size();
    received.resize(before + std::size_t(inDevice));
    const qint64 taken = tty::readNow(port_.handle(), received.data() + before, inDevice);
    if (taken < 0)
        failOnDevice(std::strerror(errno), QSerialPort::ReadError);
    received.resize(before + std::size_t(taken));
}

// Writes what the device takes now and returns how many bytes that was.
std::size_t DeviceSerialPort::writeToDevice(std::string_view bytes)
{
    const qint64 taken = tty::writeNow(port_.handle(), bytes.data(), qint64(bytes.size()));
    if (taken < 0)
        failOnDevice(std::strerror(errno), QSerialPort::WriteError);
    return std::size_t(taken);
}

// A read or write straight on the device failed: the device is lost, and one
// that no longer answers at all has vanished.
void DeviceSerialPort::failOnDevice(const std::string& reason, QSerialPort::SerialPortError error)
{
    failed_ = true;
    if (!tty::errorWasTransient(port_.handle()))
        fail(QSerialPort::ResourceError, portName() + ": the device no longer answers");
    fail(error, portName() + ": " + reason);
}

// Runs events until the transmit queue has room, for at most kWriteWaitMs: an
// XOFF that no XON follows must not hold the caller for ever.
void DeviceSerialPort::waitForRoom()
{
    bool timedOut = false;
    QTimer limit;
    limit.setSingleShot(true);
    limit.setTimerType(Qt::PreciseTimer);
    QObject::connect(&limit, &QTimer::timeout, [&timedOut] { timedOut = true; });
    limit.start(kWriteWaitMs);
    while (!timedOut && port_.isOpen() && !failed_ && port_.bytesToWrite() >= kTransmitQueueSize)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);

    requireUsable();
    if (port_.bytesToWrite() >= kTransmitQueueSize)
        fail(QSerialPort::TimeoutError,
             portName() + ": no room to transmit within " + std::to_string(kWriteWaitMs) + " ms");
}

std::optional<std::string> DeviceSerialPort::deviceToOpen() const
{
    if (!givenDevice_.empty())
        return givenDevice_;
    return ports_.device(portNumber_);
}

// "COM5 = /dev/ttyUSB0", "COM17" for a number without a device, the path alone
// for a port given by its path, and "COM5" where the system names the port so.
std::string DeviceSerialPort::portName() const
{
    if (!givenDevice_.empty())
        return escapedForeign(givenDevice_);
    const std::string number = "COM" + std::to_string(portNumber_);
    const auto device = ports_.device(portNumber_);
    return !device || *device == number ? number : number + " = " + escapedForeign(*device);
}

}  // namespace korvel::platform
