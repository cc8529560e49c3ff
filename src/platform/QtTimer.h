#pragma once

#include <QTimer>
#include <functional>

#include "link/Timer.h"

namespace korvel::platform {

// A window timer on QTimer; its ticks arrive while events run.
class QtTimer final : public link::Timer {
public:
    QtTimer();

    void setInterval(int milliseconds) override;
    int interval() const override;
    void setEnabled(bool enabled) override;
    bool isEnabled() const override;
    void setTickHandler(std::function<void()> handler) override;

private:
    QTimer timer_;
    std::function<void()> handler_;
};

}  // namespace korvel::platform
