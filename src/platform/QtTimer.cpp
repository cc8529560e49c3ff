#include "platform/QtTimer.h"

namespace korvel::platform {

QtTimer::QtTimer()
{
    // Protocol windows are measured with this timer: no coarse rounding.
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
        if (handler_)
            handler_();
    });
}

void QtTimer::setInterval(int milliseconds)
{
    timer_.setInterval(milliseconds);
}

int QtTimer::interval() const
{
    return timer_.interval();
}

void QtTimer::setEnabled(bool enabled)
{
    if (!enabled)
        timer_.stop();
    else if (!timer_.isActive())
        timer_.start();
}

bool QtTimer::isEnabled() const
{
    return timer_.isActive();
}

void QtTimer::setTickHandler(std::function<void()> handler)
{
    handler_ = std::move(handler);
}

}  // namespace korvel::platform
