#pragma once

#include "link/Clock.h"

namespace korvel::link {

// Whole seconds and microseconds of the monotonic clock: unaffected by changes of the time of
// day and by midnight.
class SteadyClock final : public Clock {
public:
    long long wholeSeconds() override;
    long long microseconds() override;
};

}  // namespace korvel::link
