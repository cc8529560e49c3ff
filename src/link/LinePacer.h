#pragma once

#include <cstddef>
#include <string_view>

#include "link/Clock.h"
#include "link/LineSettings.h"
#include "link/SerialPort.h"
#include "link/Timer.h"

namespace korvel::link {

// Keeps the line busy without flooding it. The output still queued toward the
// target is the larger of two counts: what was written less what the line,
// at its speed, could have carried since, and what the port shows queued. A
// real UART shows its queue (held by XOFF, it stays full); a pseudo-terminal
// shows none, and the line's speed alone paces. The timer, one-shot, wakes the
// caller's wait when the queue is due for its next top-up; while the pacer
// lives nothing else may use it.
class LinePacer {
public:
    LinePacer(SerialPort& port, Clock& clock, Timer& timer, const LineSettings& settings);
    ~LinePacer();
    LinePacer(const LinePacer&) = delete;
    LinePacer& operator=(const LinePacer&) = delete;

    // When no more than `lowWater` bytes are queued (or will be within the
    // timer's resolution), writes the front of `fill`, in whole `unit`s, so
    // that about fill.size() bytes are queued; then sets the timer for the
    // moment the queue is down to `lowWater` again. Returns the bytes written.
    std::size_t keepBusy(std::string_view fill, std::size_t unit, std::size_t lowWater);
    // Drops the output still queued, as far as the port can: a device that
    // shows its queue drops it, one that shows none (a pseudo-terminal) has
    // passed everything on already, and the line still carries that. The
    // timer stops until the next keepBusy.
    void discardOutput();

private:
    // Microseconds until `queued` bytes are down to `level` at the line's speed.
    long long usUntil(std::size_t level, std::size_t queued) const;
    // Microseconds since the pacer was made: a clock that counts from the
    // machine's start may stand so high that its reading times the baud rate
    // no longer fits, while the pacer lives for one handshake.
    long long elapsedUs() const;
    std::size_t queued(long long sinceOriginUs);

    SerialPort& port_;
    Clock& clock_;
    Timer& timer_;
    long long baud_;
    long long bitsPerByte_;
    long long originUs_;
    // When the bytes written so far will all have been carried, in
    // microseconds since the origin times the baud rate: whole numbers for any
    // byte count.
    long long drainedAt_ = 0;
};

}  // namespace korvel::link
