#pragma once

namespace korvel::link {

// Time in whole seconds, for the waits that the transfer measures in seconds.
// Only differences are used; the count never goes backwards.
class Clock {
public:
    virtual ~Clock() = default;
    virtual long long wholeSeconds() = 0;
};

}  // namespace korvel::link
