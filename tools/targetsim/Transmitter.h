#pragma once

#include "Bootloader.h"
#include "Clock.h"

#include <deque>
#include <optional>
#include <random>
#include <string>

namespace targetsim {

// Sends the answers to the PC in order, each no earlier than its delay asks and, when
// paced, no earlier than the line could have carried it.
class Transmitter {
public:
    // The noise comes from `seed`: the same seed, the same noise.
    Transmitter(Nanoseconds characterTime, bool noise, std::uint64_t seed);

    // Queues a reply; returns the time it will be written.
    TimePoint send(const Reply& reply, TimePoint now);
    // Queues a flow-control character, never surrounded by noise.
    TimePoint sendControl(char byte, TimePoint now);

    // Writes everything due by `now`. False on a write error.
    bool flush(int fd, TimePoint now);

    bool empty() const { return queue_.empty(); }
    // The line's buffer was full at the last flush: wait until it is writable.
    bool blocked() const { return blocked_; }
    std::optional<TimePoint> nextDue() const;

private:
    struct Pending {
        TimePoint due;
        std::string bytes;
    };

    TimePoint enqueue(std::string bytes, TimePoint earliest);
    std::string withNoise(const Reply& reply);
    void appendNoise(std::string& text, int minimum, int maximum);

    Nanoseconds characterTime_;
    bool noise_;
    std::mt19937_64 random_;
    std::deque<Pending> queue_;
    std::size_t written_ = 0;  // bytes of the queue's head already written
    TimePoint lineFree_{};
    bool blocked_ = false;
};

}  // namespace targetsim
