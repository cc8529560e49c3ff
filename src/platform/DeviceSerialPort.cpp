#include "platform/DeviceSerialPort.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

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

}  // namespace

DeviceSerialPort::DeviceSerialPort(PortMap ports) : ports_(std::move(ports))
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

std::string DeviceSerialPort::portLabel() const
{
    const auto device = ports_.device(portNumber_);
    return device ? portName() + " = " + *device : portName();
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

    const auto device = ports_.device(portNumber_);
    if (!device)
        fail(QSerialPort::DeviceNotFoundError, portName() + " names no device");
    port_.setPortName(QFile::decodeName(device->c_str()));

    if (!port_.open(QIODevice::ReadWrite)) {
        if (lastEventCode_ == 0)
            lastEventCode_ = QSerialPort::OpenError;
        throw link::PortError(portName() + " (" + *device + "): " + port_.errorString().toStdString());
    }
    if (!tty::lockExclusive(port_.handle())) {
        closeQuietly();
        fail(QSerialPort::PermissionError, portName() + " (" + *device + ") is in use");
    }
    if (!tty::resumeOnlyOnXon(port_.handle())) {
        closeQuietly();
        fail(QSerialPort::OpenError, portName() + " (" + *device + ") refused its flow control settings");
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
    takeInputFromDevice();
    return int(std::min<qint64>(port_.bytesAvailable(), INT_MAX));
}

std::string DeviceSerialPort::readAll()
{
    takeInputFromDevice();
    const QByteArray data = port_.readAll();
    return std::string(data.constData(), std::size_t(data.size()));
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
    lastEventCode_ = error;
    lastErrorText_ = port_.errorString().toStdString();
    if (lost)
        failed_ = true;
}

void DeviceSerialPort::fail(QSerialPort::SerialPortError code, const std::string& what)
{
    lastEventCode_ = code;
    lastErrorText_ = what;
    throw link::PortError(what);
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
        throw link::PortError(portName() + ": " + lastErrorText_);
}

// Takes what the device holds without waiting for the next event pass, and
// notices a device that is gone even when no event reported it yet.
void DeviceSerialPort::takeInputFromDevice()
{
    requireUsable();
    const int inDevice = tty::bytesInDevice(port_.handle());
    if (inDevice < 0) {
        failed_ = true;
        fail(QSerialPort::ResourceError, portName() + ": the device no longer answers");
    }
    if (inDevice > 0)
        port_.waitForReadyRead(0);
    requireUsable();
}

// Writes what the device takes now and returns how many bytes that was. A
// failed write means the device is lost; one that no longer answers at all has
// vanished.
std::size_t DeviceSerialPort::writeToDevice(std::string_view bytes)
{
    const qint64 taken = tty::writeNow(port_.handle(), bytes.data(), qint64(bytes.size()));
    if (taken >= 0)
        return std::size_t(taken);
    const std::string reason = std::strerror(errno);
    failed_ = true;
    if (!tty::errorWasTransient(port_.handle()))
        fail(QSerialPort::ResourceError, portName() + ": the device no longer answers");
    fail(QSerialPort::WriteError, portName() + ": " + reason);
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

std::string DeviceSerialPort::portName() const
{
    return "COM" + std::to_string(portNumber_);
}

}  // namespace korvel::platform
