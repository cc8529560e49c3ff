#include "sim/SimTimer.h"

namespace korvel::linktest {

void SimTimer::setEnabled(bool enabled) {
    if (enabled == isEnabled()) return;
    if (enabled) {
        startWithFirstTickAfter(intervalMs_ * 1000LL);
    } else {
        time_.cancel(*next_);
        next_.reset();
    }
}

void SimTimer::startWithFirstTickAfter(long long us) {
    if (next_) time_.cancel(*next_);
    next_ = time_.after(us, [this] { tick(); });
}

void SimTimer::tick() {
    next_ = time_.after(intervalMs_ * 1000LL, [this] { tick(); });
    if (handler_) handler_();
}

}  // namespace korvel::linktest
