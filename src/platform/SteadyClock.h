#pragma once

#include "link/Clock.h"

namespace korvel::platform {

// Whole seconds of the monotonic clock: unaffected by changes of the time of
// day and by midnight.
class SteadyClock final : public link::Clock {
public:
    long long wholeSeconds() override;
};

}  // namespace korvel::platform
