#pragma once

#include "Bootloader.h"
#include "Clock.h"
#include "HandshakeMeter.h"
#include "Pty.h"
#include "ReceivePacer.h"
#include "SimOptions.h"
#include "Transmitter.h"

#include <csignal>
#include <optional>
#include <string>

namespace targetsim {

// Runs the bootloader on the master side of the pseudo-terminal until a stop signal,
// the end of a --once download or the --close-after line count.
class Simulator {
public:
    Simulator(const SimOptions& options, Pty& pty);

    // `waitMask` is the signal mask to wait with (stop signals unblocked); `stopRequested`
    // is set by their handler. Returns false on an I/O error, with `error` set.
    bool run(const sigset_t& waitMask, const volatile std::sig_atomic_t& stopRequested, std::string& error);

    // Writes the images asked for; false (with `error`) when one cannot be written.
    bool writeImages(std::string& error) const;
    // The counts of the run; with pacing, also how the PC's synchronisation
    // kept the line (see HandshakeMeter): "; paced line: sync bytes at most
    // <us> us apart, <n> sync bytes after "$", <n> calls after "?"".
    std::string summary() const;

private:
    bool receive(TimePoint now, std::string& error);
    void handleByte(char byte, TimePoint now);
    void forwardReplies(TimePoint now);
    std::optional<TimePoint> nextDeadline() const;
    bool finished(TimePoint now);
    void onTimers(TimePoint now);
    bool recordStalled() const;
    std::size_t waitingInput() const;

    const SimOptions& options_;
    Pty& pty_;
    Bootloader bootloader_;
    Transmitter transmitter_;
    ReceivePacer pacer_;
    HandshakeMeter meter_;
    std::optional<TimePoint> xonAt_;
    TimePoint lastByteAt_{};
    bool finishing_ = false;  // no more input; end once the queued answers are out
    bool closeLineAtEnd_ = false;
    std::optional<TimePoint> lingerUntil_;  // --once: waiting for the PC to close the port
};

}  // namespace targetsim
