#pragma once

#include "Clock.h"

#include <cstddef>
#include <optional>

namespace targetsim {

// Lets the receiver read no more than the line could have carried since the data began
// to arrive. Without pacing every read may take all that is waiting.
class ReceivePacer {
public:
    explicit ReceivePacer(Nanoseconds characterTime) : characterTime_(characterTime) {}

    bool paced() const { return characterTime_.count() > 0; }
    // Nothing is known to be waiting: the receiver should wait for readability.
    bool idle() const { return !paced() || idle_; }

    // Data became readable while idle: the line starts carrying it now.
    void dataArrived(TimePoint now);
    // How many characters may be read now; `unlimited` without pacing.
    std::size_t allowance(TimePoint now, std::size_t unlimited) const;
    // `got` characters were read after asking for `asked`; fewer means the line is empty.
    void consumed(std::size_t got, std::size_t asked);
    // When the character `index` of the last read finished arriving on the line (when
    // paced): answers to it leave from then, not from when the receiver woke up.
    TimePoint arrivalOf(std::size_t index, std::size_t got, TimePoint now) const;
    // When the next read is worth making while `waiting` characters are queued: once
    // they have all arrived, or about a millisecond's worth of them.
    std::optional<TimePoint> nextRead(std::size_t waiting) const;

private:
    Nanoseconds characterTime_;
    TimePoint carriedUntil_{};
    bool idle_ = true;
};

}  // namespace targetsim
