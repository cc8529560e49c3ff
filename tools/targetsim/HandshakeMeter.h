#pragma once

#include "Clock.h"

#include <cstdint>
#include <string>

namespace targetsim {

// How the PC's synchronisation looks on the simulator's line, in the line's own
// time (when each byte finished arriving, when each answer finished leaving),
// so that the simulator's late wake-ups do not count: the longest time from
// one sync byte to the next, the sync bytes that still arrived after a "$" had
// left, and the calls "@&$" completed after a "?" had left, until the PC sends
// something else. The counts are the largest of every handshake seen.
class HandshakeMeter {
public:
    void received(char byte, TimePoint arrival);
    // A reply starting with `first` finished leaving at `leftAt`.
    void answered(char first, TimePoint leftAt);

    Nanoseconds longestSyncInterval() const { return longestSyncInterval_; }
    std::uint64_t syncBytesAfterAnswer() const { return syncBytesAfterAnswer_; }
    std::uint64_t callsAfterAnswer() const { return callsAfterAnswer_; }

private:
    struct Backlog {
        bool counting = false;
        TimePoint since{};
        std::uint64_t count = 0;
    };

    void receivedCall(char byte, TimePoint arrival);

    bool lastWasSync_ = false;
    TimePoint lastSyncAt_{};
    Nanoseconds longestSyncInterval_{0};
    Backlog afterSync_;
    Backlog afterHello_;
    std::string lastThree_;
    std::uint64_t syncBytesAfterAnswer_ = 0;
    std::uint64_t callsAfterAnswer_ = 0;
};

}  // namespace targetsim
