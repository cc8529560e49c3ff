#pragma once

#include "link/Clock.h"

namespace korvel::platform {

// Whole seconds and microseconds of the monotonic clock: unaffected by changes of the time of
// day and by midnight.
class SteadyClock final : public link::Clock {
public:
    long long wholeSeconds() override;
    long long microseconds() override;
};

}  // namespace korvel::platform
