#pragma once

#include <optional>

#include "link/Timer.h"
#include "sim/SimWorld.h"

namespace korvel::linktest {

class SimTimer : public link::Timer {
public:
    SimTimer(VirtualTime& time, int intervalMs) : time_(time), intervalMs_(intervalMs) {}
    void setInterval(int milliseconds) override { intervalMs_ = milliseconds; }
    int interval() const override { return intervalMs_; }
    void setEnabled(bool enabled) override;
    bool isEnabled() const override { return next_.has_value(); }
    void setTickHandler(std::function<void()> handler) override { handler_ = std::move(handler); }
    // Enabled, with the first tick this long from now: a free-running timer's phase.
    void startWithFirstTickAfter(long long us);

private:
    void tick();

    VirtualTime& time_;
    int intervalMs_;
    std::function<void()> handler_;
    std::optional<VirtualTime::Handle> next_;
};

}  // namespace korvel::linktest
