#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "link/EventPump.h"
#include "link/SerialPort.h"
#include "sim/SimWorld.h"

namespace korvel::linktest {

// A serial line at a fixed byte rate behind a 512-byte transmit queue. A write
// waits through the event pump while the queue has no room; the other end sees
// each write once its last byte has left the queue.
class SimSerialPort : public link::SerialPort {
public:
    SimSerialPort(VirtualTime& time, link::EventPump& pump, Journal& journal)
        : time_(time), pump_(pump), journal_(journal) {}

    void setPortNumber(int number) override { number_ = number; }
    int portNumber() const override { return number_; }
    void setLineSettings(std::string_view settings) override;
    void setXonXoff(bool on) override { xonXoff = on; }
    void open() override;
    void close() override;
    bool isOpen() const override { return open_; }
    void write(std::string_view bytes) override;
    int bytesWaiting() override;
    std::string readAll() override;
    void discardOutput() override;
    int lastEventCode() const override { return eventCode; }

    // The other end sends these bytes; they arrive after the delay.
    void send(long long afterUs, std::string bytes);

    struct Write {
        long long us;
        std::string bytes;
    };
    std::vector<Write> writes;
    std::vector<Write> reads;  // what readAll returned, when not empty
    std::string lineSettings;
    bool xonXoff = false;

    std::set<int> existingPorts{1, 2, 3};
    long long bytesPerSecond = 11'520;
    long long writeTimeoutUs = 2'000'000;
    int eventCode = 0;
    std::function<bool(std::string_view)> failWrite;  // true: this write fails
    bool failReads = false;
    std::function<void(const std::string&)> onTransmitted;  // the other end

private:
    void requireOpen(const char* operation) const;
    void dropQueuedOutput();
    long long queuedBytes() const;

    VirtualTime& time_;
    link::EventPump& pump_;
    Journal& journal_;
    int number_ = 0;
    bool open_ = false;
    std::string received_;
    long long queueEndUs_ = 0;  // when everything queued will have been sent
    std::vector<VirtualTime::Handle> inFlight_;
};

}  // namespace korvel::linktest
