#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "link/Clock.h"
#include "link/EventPump.h"

namespace korvel::linktest {

// Thrown when a simulated run exceeds its limits. Deliberately not a
// std::exception, so that the download cannot take it for one of its errors.
struct SimulationLimit {
    std::string what;
};

// Virtual time in microseconds with an ordered queue of scheduled actions.
class VirtualTime {
public:
    using Action = std::function<void()>;
    using Handle = std::pair<long long, std::uint64_t>;  // time, order of scheduling

    long long now() const { return now_; }
    Handle at(long long us, Action action);
    Handle after(long long us, Action action) { return at(now_ + us, std::move(action)); }
    void cancel(const Handle& handle) { queue_.erase(handle); }
    // Runs the actions due now that were scheduled before the call; true if any ran.
    bool runDue();
    // Moves time on to the earliest scheduled action.
    void advance();

    long long limitUs = 900'000'000;
    long long yieldLimit = 5'000'000;
    long long yields = 0;

private:
    long long now_ = 0;
    std::uint64_t nextOrder_ = 0;
    std::map<Handle, Action> queue_;
};

// Events run only inside yields; a waiting yield jumps to the next event.
class SimEventPump : public link::EventPump {
public:
    explicit SimEventPump(VirtualTime& time) : time_(time) {}
    void yieldOnce() override;
    void yieldWaiting() override;

private:
    VirtualTime& time_;
};

class SimClock : public link::Clock {
public:
    explicit SimClock(VirtualTime& time) : time_(time) {}
    long long wholeSeconds() override {
        return (time_.now() + phaseUs) / 1'000'000 + offsetSeconds;
    }
    long long offsetSeconds = 86'399;
    long long phaseUs = 0;  // moves the second boundaries against virtual time

private:
    VirtualTime& time_;
};

// What happened, in order, with its virtual time.
struct Journal {
    struct Entry {
        long long us;
        std::string what;
    };
    std::vector<Entry> entries;
    VirtualTime& time;

    void add(std::string what) { entries.push_back({time.now(), std::move(what)}); }
    // The time of the first entry that starts with the text, -1 when none.
    long long timeOf(const std::string& start) const;
    bool has(const std::string& start) const { return timeOf(start) >= 0; }
    // Entry texts, one per line, for failure output.
    std::string text() const;
};

}  // namespace korvel::linktest
