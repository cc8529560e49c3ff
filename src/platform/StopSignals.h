#pragma once

#include <functional>
#include <istream>
#include <memory>

namespace korvel::platform {

// Ctrl-C (SIGINT), SIGTERM and SIGHUP as a request to stop: the first one is
// noted, and a run stops at its next chance with its port closed and
// unlocked; a second one ends the program at once. SIGPIPE is ignored, so
// that an output nobody reads any more only loses what is written to it.
// The handler only notes the signal and writes one byte to a pipe; the rest
// happens in the program's own flow. One object lives for the whole program.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The standard input, ending as soon as a stop signal has arrived: a
    // question waiting for its answer then reads the end of the input.
    std::istream& input() { return *input_; }

    // Once the application runs: `onStop` is called in its event loop when
    // the first stop signal arrives, and every wait of the loop wakes for it.
    void watch(std::function<void()> onStop);

private:
    std::unique_ptr<std::streambuf> inputBuffer_;
    std::unique_ptr<std::istream> input_;
};

// The stop signal received so far; 0 while none has come.
int stopSignalReceived();

// The exit status of a program stopped by `signal`: 128 plus its number.
inline int exitStatusOfSignal(int signal)
{
    return 128 + signal;
}

}  // namespace korvel::platform
