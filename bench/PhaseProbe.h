#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

// A pseudo-terminal whose other end a child process reads as soon as bytes
// arrive: no line holds the writer back, so how fast the handshake comes is
// the writer's own doing. The reader notes when the sync bytes and the "@&$"
// triples arrive. It answers nothing (Silent) or the first sync byte with "$"
// and never "@&$" (NoPhase2), so that each phase runs its whole window.
class PhaseProbe {
public:
    enum class Target { Silent, NoPhase2 };

    // Rates are counted from the first read that brought the kind of data to
    // the last one, without the first read's share; 0 with fewer than two reads.
    struct Figures {
        long syncBytes = 0;
        double syncBytesPerSecond = 0;
        long triples = 0;
        double triplesPerSecond = 0;
    };

    explicit PhaseProbe(Target target);
    ~PhaseProbe();
    PhaseProbe(const PhaseProbe&) = delete;
    PhaseProbe& operator=(const PhaseProbe&) = delete;

    // Empty when the terminal or the reader could not be set up.
    const std::string& devicePath() const { return devicePath_; }

    // Stops the reader and returns what it saw; none when it failed to report.
    std::optional<Figures> finish();

private:
    pid_t pid_ = -1;
    int slave_ = -1;    // kept open so that the reader sees no hang-up between opens
    int stop_ = -1;     // closed to stop the reader
    int figures_ = -1;  // the reader's figures arrive here
    std::string devicePath_;
};
