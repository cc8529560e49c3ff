#include "link/SteadyClock.h"

#include <chrono>

namespace korvel::link {

long long SteadyClock::wholeSeconds()
{
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::seconds>(sinceStart).count();
}

long long SteadyClock::microseconds()
{
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::microseconds>(sinceStart).count();
}

}  // namespace korvel::link
