#include "sim/SimWorld.h"

namespace korvel::linktest {

VirtualTime::Handle VirtualTime::at(long long us, Action action) {
    const Handle handle{us < now_ ? now_ : us, nextOrder_++};
    queue_.emplace(handle, std::move(action));
    return handle;
}

bool VirtualTime::runDue() {
    if (++yields > yieldLimit) throw SimulationLimit{"too many yields"};
    const std::uint64_t before = nextOrder_;
    bool ran = false;
    while (!queue_.empty()) {
        auto first = queue_.begin();
        if (first->first.first > now_ || first->first.second >= before) break;
        Action action = std::move(first->second);
        queue_.erase(first);
        action();
        ran = true;
    }
    return ran;
}

void VirtualTime::advance() {
    if (queue_.empty()) throw SimulationLimit{"waiting with nothing scheduled"};
    now_ = queue_.begin()->first.first;
    if (now_ > limitUs) throw SimulationLimit{"virtual time limit reached"};
}

void SimEventPump::yieldOnce() { time_.runDue(); }

void SimEventPump::yieldWaiting() {
    if (time_.runDue()) return;
    time_.advance();
    time_.runDue();
}

long long Journal::timeOf(const std::string& start) const {
    for (const Entry& entry : entries) {
        if (entry.what.compare(0, start.size(), start) == 0) return entry.us;
    }
    return -1;
}

std::string Journal::text() const {
    std::string all;
    for (const Entry& entry : entries) all += std::to_string(entry.us) + " " + entry.what + "\n";
    return all;
}

}  // namespace korvel::linktest
