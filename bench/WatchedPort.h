#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Measures.h"
#include "link/SerialPort.h"

// Passes every operation on to the real port and notes each write (when, how
// many bytes, its first byte) and when a read last brought something. Lets the
// benchmark tell the handshake's writes from the lines', time each line and
// see how soon a line follows the answer to the one before.
class WatchedPort final : public korvel::link::SerialPort {
public:
    struct Write {
        BenchClock::time_point at;
        std::size_t size;
        char first;
        // When the read that brought the latest received bytes returned.
        std::optional<BenchClock::time_point> lastReceiptAt;
    };

    explicit WatchedPort(korvel::link::SerialPort& port) : port_(port) {}
    const std::vector<Write>& writes() const { return writes_; }

    void setPortNumber(int number) override { port_.setPortNumber(number); }
    int portNumber() const override { return port_.portNumber(); }
    std::string portLabel() const override { return port_.portLabel(); }
    void setLineSettings(const korvel::link::LineSettings& settings) override { port_.setLineSettings(settings); }
    void open() override { port_.open(); }
    void close() override { port_.close(); }
    bool isOpen() const override { return port_.isOpen(); }
    void write(std::string_view bytes) override
    {
        writes_.push_back({BenchClock::now(), bytes.size(), bytes.empty() ? '\0' : bytes.front(), lastReceiptAt_});
        port_.write(bytes);
    }
    int bytesWaiting() override { return port_.bytesWaiting(); }
    int bytesQueued() override { return port_.bytesQueued(); }
    std::string readAll() override
    {
        std::string received = port_.readAll();
        if (!received.empty())
            lastReceiptAt_ = BenchClock::now();
        return received;
    }
    void discardInput() override { port_.discardInput(); }
    void discardOutput() override { port_.discardOutput(); }
    int lastEventCode() const override { return port_.lastEventCode(); }

private:
    korvel::link::SerialPort& port_;
    std::vector<Write> writes_;
    std::optional<BenchClock::time_point> lastReceiptAt_;
};
