#pragma once

namespace korvel::link {

// Lets the rest of the program run while the download waits: timer ticks,
// serial data, clicks and repaints happen only inside these calls.
class EventPump {
public:
    virtual ~EventPump() = default;
    // Runs the events that are pending now, once, and returns.
    virtual void yieldOnce() = 0;
    // Like yieldOnce, but when nothing is pending it first waits for the next
    // event instead of returning at once. Used inside wait loops so that a wait
    // does not keep a processor busy.
    virtual void yieldWaiting() = 0;
};

}  // namespace korvel::link
