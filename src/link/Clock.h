#pragma once

namespace korvel::link {

// The download's time: whole seconds for the waits that the transfer measures
// in seconds, microseconds for keeping pace with the line. Only differences are
// used; neither count ever goes backwards.
class Clock {
public:
    virtual ~Clock() = default;
    virtual long long wholeSeconds() = 0;
    virtual long long microseconds() = 0;
};

}  // namespace korvel::link
