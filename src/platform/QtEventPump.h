#pragma once

#include "link/EventPump.h"

namespace korvel::platform {

// Runs the Qt events of the calling thread.
class QtEventPump final : public link::EventPump {
public:
    void yieldOnce() override;
    void yieldWaiting() override;
};

}  // namespace korvel::platform
