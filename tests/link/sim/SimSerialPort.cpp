#include "sim/SimSerialPort.h"

#include <algorithm>

namespace korvel::linktest {

namespace {
const long long kQueueBytes = 512;
}

void SimSerialPort::setLineSettings(std::string_view settings) { lineSettings = settings; }

void SimSerialPort::open() {
    if (open_ || !existingPorts.count(number_)) throw link::PortError("cannot open");
    open_ = true;
    received_.clear();
    journal_.add("port open " + std::to_string(number_));
}

void SimSerialPort::close() {
    if (!open_) return;
    dropQueuedOutput();
    open_ = false;
    journal_.add("port closed");
}

void SimSerialPort::dropQueuedOutput() {
    for (const auto& handle : inFlight_) {
        if (handle.first > time_.now()) time_.cancel(handle);
    }
    inFlight_.clear();
    queueEndUs_ = time_.now();
}

void SimSerialPort::requireOpen(const char* operation) const {
    if (!open_) throw link::PortError(std::string(operation) + " on a closed port");
}

long long SimSerialPort::queuedBytes() const {
    const long long left = std::max(0LL, queueEndUs_ - time_.now());
    return (left * bytesPerSecond + 999'999) / 1'000'000;
}

void SimSerialPort::write(std::string_view bytes) {
    requireOpen("write");
    if (failWrite && failWrite(bytes)) throw link::PortError("write failed");
    const long long needed = std::min<long long>(bytes.size(), kQueueBytes);
    const long long deadline = time_.now() + writeTimeoutUs;
    while (kQueueBytes - queuedBytes() < needed) {
        if (time_.now() >= deadline) throw link::PortError("transmit queue stays full");
        const long long roomAt = queueEndUs_ - (kQueueBytes - needed) * 1'000'000 / bytesPerSecond;
        time_.at(std::min(roomAt, deadline), [] {});
        pump_.yieldWaiting();
    }
    const long long start = std::max(queueEndUs_, time_.now());
    queueEndUs_ = start + static_cast<long long>(bytes.size()) * 1'000'000 / bytesPerSecond;
    writes.push_back({time_.now(), std::string(bytes)});
    std::string sent(bytes);
    inFlight_.push_back(time_.at(queueEndUs_, [this, sent] {
        if (onTransmitted) onTransmitted(sent);
    }));
}

int SimSerialPort::bytesWaiting() {
    requireOpen("count");
    if (failReads) throw link::PortError("read failed");
    return static_cast<int>(received_.size());
}

std::string SimSerialPort::readAll() {
    requireOpen("read");
    if (failReads) throw link::PortError("read failed");
    std::string all;
    all.swap(received_);
    if (!all.empty()) reads.push_back({time_.now(), all});
    return all;
}

void SimSerialPort::discardOutput() {
    requireOpen("discard");
    dropQueuedOutput();
    journal_.add("output discarded");
}

void SimSerialPort::send(long long afterUs, std::string bytes) {
    time_.after(afterUs, [this, bytes] {
        if (open_) received_ += bytes;
    });
}

}  // namespace korvel::linktest
