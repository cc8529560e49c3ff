#include "ReceivePacer.h"

#include <algorithm>

namespace targetsim {

void ReceivePacer::dataArrived(TimePoint now)
{
    if (!paced() || !idle_)
        return;
    idle_ = false;
    carriedUntil_ = std::max(carriedUntil_, now);
}

std::size_t ReceivePacer::allowance(TimePoint now, std::size_t unlimited) const
{
    if (!paced())
        return unlimited;
    if (idle_ || now <= carriedUntil_)
        return 0;
    const auto characters = static_cast<std::size_t>((now - carriedUntil_) / characterTime_);
    return std::min(characters, unlimited);
}

void ReceivePacer::consumed(std::size_t got, std::size_t asked)
{
    if (!paced())
        return;
    carriedUntil_ += characterTime_ * static_cast<std::int64_t>(got);
    if (got < asked)
        idle_ = true;
}

TimePoint ReceivePacer::arrivalOf(std::size_t index, std::size_t got, TimePoint now) const
{
    if (!paced())
        return now;
    return carriedUntil_ - characterTime_ * static_cast<std::int64_t>(got - 1 - index);
}

std::optional<TimePoint> ReceivePacer::nextRead(std::size_t waiting) const
{
    if (idle())
        return std::nullopt;
    const auto perMillisecond = static_cast<std::size_t>(std::chrono::milliseconds(1) / characterTime_);
    const std::size_t batch = std::clamp<std::size_t>(waiting, 1, std::max<std::size_t>(perMillisecond, 1));
    return carriedUntil_ + characterTime_ * static_cast<std::int64_t>(batch);
}

}  // namespace targetsim
