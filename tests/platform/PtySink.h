#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "platform/PortMap.h"

// A pseudo-terminal whose far end reads and drops everything on a thread of
// its own. Unlike PtyPair, its reading wakes no event loop of the test, so the
// events a test sees are only those of the port under test and its timers.
class PtySink {
public:
    PtySink();
    ~PtySink();
    PtySink(const PtySink&) = delete;
    PtySink& operator=(const PtySink&) = delete;

    // A map that gives port `number` the slave device.
    korvel::platform::PortMap portMap(int number) const;
    // Bytes read by the far end so far.
    std::size_t received() const { return received_; }

private:
    void drain();

    int master_ = -1;
    int slave_ = -1;  // held open so that the master never sees the line hang up
    int stopPipe_[2] = {-1, -1};
    std::string slavePath_;
    std::atomic<std::size_t> received_ {0};
    std::thread reader_;
};
