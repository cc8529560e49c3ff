#pragma once

#include <QSerialPort>
#include <optional>
#include <string>

#include "link/SerialPort.h"
#include "platform/PortLocks.h"
#include "platform/PortMap.h"

namespace korvel::platform {

// The serial line on a real device through QSerialPort. Port numbers become
// devices through a PortMap; line settings apply at the next open, or at once
// to an open port. An open port is held exclusively; a port that another
// running program has locked is never opened, and its lock is left alone,
// while the lock of a program that has ended is taken over. After a read, write or resource
// error (the other end closed, the adapter was unplugged) writing and reading
// throw until the port is opened again. Every failure says which port, what
// went wrong and what to do about it.
class DeviceSerialPort final : public link::SerialPort {
public:
    // Most bytes waiting in our transmit queue; a write waits for room beyond.
    static constexpr qint64 kTransmitQueueSize = 512;
    // Longest wait for room in the transmit queue before a write fails.
    static constexpr int kWriteWaitMs = 2000;

    // `locks`: where the lock files of the devices are looked for.
    explicit DeviceSerialPort(PortMap ports, PortLocks locks = PortLocks());
    ~DeviceSerialPort() override;
    DeviceSerialPort(const DeviceSerialPort&) = delete;
    DeviceSerialPort& operator=(const DeviceSerialPort&) = delete;

    // Which device each port number opens.
    const PortMap& portMap() const { return ports_; }
    // A port given by its device path: from now on every port number opens
    // `device`.
    void setDevice(std::string device);
    // The device that opening the port opens: the one given by its path, or
    // that of the port number; none when the number names no port.
    std::optional<std::string> deviceToOpen() const;

    void setPortNumber(int number) override;
    int portNumber() const override;
    std::string portLabel() const override;
    void setLineSettings(const link::LineSettings& settings) override;

    void open() override;
    void close() override;
    bool isOpen() const override;

    void write(std::string_view bytes) override;
    int bytesWaiting() override;
    int bytesQueued() override;
    std::string readAll() override;
    void discardInput() override;
    void discardOutput() override;

    int lastEventCode() const override;

private:
    void onError(QSerialPort::SerialPortError error);
    // `cause`: what is wrong, without the fix; empty: `what` alone tells it.
    [[noreturn]] void fail(QSerialPort::SerialPortError code, const std::string& what, const std::string& cause = {});
    void closeQuietly();
    void requireUsable();
    int bytesInDevice();
    void takeInputFromDevice(std::string& received);
    std::size_t writeToDevice(std::string_view bytes);
    [[noreturn]] void failOnDevice(const std::string& reason, QSerialPort::SerialPortError error);
    void waitForRoom();
    std::string portName() const;

    PortMap ports_;
    PortLocks locks_;
    std::string givenDevice_;  // empty unless the port was given by its path
    int portNumber_ = 1;
    int lastEventCode_ = 0;
    std::string lastErrorText_;
    bool failed_ = false;   // a read, write or resource error: the device is lost
    bool closing_ = false;  // errors while closing are not reported
    // Last member: destroyed first, while the state its error handler writes exists.
    QSerialPort port_;
};

}  // namespace korvel::platform
