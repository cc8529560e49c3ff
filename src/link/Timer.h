#pragma once

#include <functional>

namespace korvel::link {

// A window timer: while enabled it calls its tick handler once per interval.
// Ticks are delivered only while events run (a yield, a message box), never in
// the middle of the download's own code.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void setInterval(int milliseconds) = 0;
    virtual int interval() const = 0;
    // Enabling a disabled timer starts a full interval; enabling an enabled one
    // changes nothing.
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
    virtual void setTickHandler(std::function<void()> handler) = 0;
};

}  // namespace korvel::link
