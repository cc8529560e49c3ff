#include "link/LinePacer.h"

#include <algorithm>

namespace korvel::link {

namespace {

constexpr long long kUsPerSecond = 1'000'000;
constexpr long long kUsPerMs = 1'000;

// Start bit, data bits, parity bit and stop bits of one character.
long long bitsPerByte(const LineSettings& settings)
{
    return 1 + (settings.dataBits == DataBits::Seven ? 7 : 8) + (settings.parity == Parity::None ? 0 : 1) +
           (settings.stopBits == StopBits::Two ? 2 : 1);
}

}  // namespace

LinePacer::LinePacer(SerialPort& port, Clock& clock, Timer& timer, const LineSettings& settings)
    : port_(port)
    , clock_(clock)
    , timer_(timer)
    , baud_(settings.baudRate)
    , bitsPerByte_(bitsPerByte(settings))
    , originUs_(clock.microseconds())
{
    timer_.setEnabled(false);
}

LinePacer::~LinePacer()
{
    timer_.setEnabled(false);
}

std::size_t LinePacer::keepBusy(std::string_view fill, std::size_t unit, std::size_t lowWater)
{
    const long long sinceOriginUs = elapsedUs();
    std::size_t level = queued(sinceOriginUs);
    // The timer has whole milliseconds: what would fall to the low water
    // before the next one is topped up now.
    const bool due = usUntil(lowWater, level) < kUsPerMs;
    const std::size_t room = due && fill.size() > level ? (fill.size() - level) / unit * unit : 0;
    if (room > 0) {
        port_.write(fill.substr(0, room));
        drainedAt_ =
            std::max(drainedAt_, sinceOriginUs * baud_) + static_cast<long long>(room) * bitsPerByte_ * kUsPerSecond;
        level += room;
    }
    // Set once per top-up: a wait that something else ended leaves it running.
    if (due || !timer_.isEnabled()) {
        timer_.setEnabled(false);
        timer_.setInterval(static_cast<int>(std::max(kUsPerMs, usUntil(lowWater, level)) / kUsPerMs));
        timer_.setEnabled(true);
    }
    return room;
}

void LinePacer::discardOutput()
{
    const bool shown = port_.bytesQueued() > 0;
    port_.discardOutput();
    if (shown)
        drainedAt_ = 0;
    timer_.setEnabled(false);
}

long long LinePacer::usUntil(std::size_t level, std::size_t queued) const
{
    if (queued <= level)
        return 0;
    return static_cast<long long>(queued - level) * bitsPerByte_ * kUsPerSecond / baud_;
}

long long LinePacer::elapsedUs() const
{
    return clock_.microseconds() - originUs_;
}

std::size_t LinePacer::queued(long long sinceOriginUs)
{
    const long long byteUnits = bitsPerByte_ * kUsPerSecond;
    const long long ahead = drainedAt_ - sinceOriginUs * baud_;
    const long long onTheLine = ahead > 0 ? (ahead + byteUnits - 1) / byteUnits : 0;
    return static_cast<std::size_t>(std::max<long long>(onTheLine, port_.bytesQueued()));
}

}  // namespace korvel::link
