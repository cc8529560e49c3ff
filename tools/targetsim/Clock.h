#pragma once

#include <chrono>
#include <cstdint>

namespace targetsim {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;
using Nanoseconds = std::chrono::nanoseconds;

// Time one character takes on the line at `baud` with 10 bits per character; zero
// without pacing.
inline Nanoseconds characterTime(std::uint64_t baud)
{
    return baud == 0 ? Nanoseconds{0} : Nanoseconds{static_cast<std::int64_t>(10'000'000'000ull / baud)};
}

}  // namespace targetsim
