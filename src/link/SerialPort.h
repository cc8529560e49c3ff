#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "base/Failure.h"
#include "link/LineSettings.h"

namespace korvel::link {

// A failed serial operation. The download reports it in its own words; the
// event code is what the port says about its last error.
class PortError : public Failure {
public:
    using Failure::Failure;
    // `cause`: what is wrong, without the port's name and without the fix
    // that what() adds.
    PortError(const std::string& what, std::string cause) : Failure(what), cause_(std::move(cause)) {}

    // What is wrong with the port now ("no such device"), without what to do
    // about it: what a run that waits for the port to change says it waits
    // for. The whole text where no shorter cause was given.
    std::string cause() const { return cause_.empty() ? what() : cause_; }

private:
    std::string cause_;
};

// The serial line as the download and the port probe see it. Ports are numbered
// (COM1, COM2, ...); the implementation maps a number to a device.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // The port number that the next open() uses; reading gives the last one set.
    virtual void setPortNumber(int number) = 0;
    virtual int portNumber() const = 0;
    // The port of the last number set as messages name it, with the device it
    // opens where that differs ("COM5 = /dev/ttyUSB0").
    virtual std::string portLabel() const = 0;

    // Speed, character frame and flow control; set before open().
    virtual void setLineSettings(const LineSettings& settings) = 0;

    // Throws PortError when the port does not exist, is in use or cannot be opened.
    virtual void open() = 0;
    // Closes the port if it is open; never fails.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Queues the bytes for transmission, unchanged. Waits (letting events run)
    // while the transmit queue has no room; throws PortError when the write fails
    // or no room comes within a bounded time.
    virtual void write(std::string_view bytes) = 0;

    // Number of received bytes not yet read; throws PortError on a port error.
    virtual int bytesWaiting() = 0;
    // Received bytes not yet read, in the order they came (empty when none):
    // all of them, or all that the port had taken in when it last looked, the
    // rest following at the next read. Throws PortError.
    virtual std::string readAll() = 0;
    // Drops every received byte not yet read, ours and the system's.
    virtual void discardInput() = 0;
    // Bytes written and not yet sent, ours and the device's. A device that
    // shows no queue of its own (a pseudo-terminal) counts ours alone; 0 when
    // the port is closed.
    virtual int bytesQueued() = 0;
    // Drops everything queued and not yet sent, ours and the system's.
    virtual void discardOutput() = 0;

    // Code of the last error the port reported, 0 when none.
    virtual int lastEventCode() const = 0;
};

}  // namespace korvel::link
