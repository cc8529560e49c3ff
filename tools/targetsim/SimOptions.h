#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace targetsim {

struct SimOptions {
    std::string linkPath;
    std::string flashOut;
    std::string eepromOut;

    std::string version = "1.28";  // text after "G" in the handshake answer
    bool sendG = true;             // false: the handshake answer is "?" alone
    bool silent = false;           // never answer anything
    bool noPhase2 = false;         // answer "$" but never "?"
    bool once = false;             // end after the first complete download
    bool noise = false;            // random non-protocol bytes around answers
    bool doubleAnswer = false;     // answer every line twice, 1 ms apart

    std::uint64_t answerDelayMs = 0;
    std::uint64_t phase1DelayMs = 0;
    std::uint64_t phase2DelayMs = 0;

    std::uint64_t checksumErrors = 0;  // "-" for the first N sends of a line
    std::uint64_t errorLine = 0;       // 0: every line, else only this line of each file
    std::uint64_t writeErrorLine = 0;  // 0: none
    std::uint64_t silentLine = 0;      // 0: none

    std::uint64_t xoffAfter = 0;              // 0: never
    std::optional<std::uint64_t> xonAfterMs;  // none: never
    std::uint64_t closeAfter = 0;             // 0: never
    std::uint64_t paceBaud = 0;               // 0: no pacing
    std::optional<std::uint64_t> seed;        // none: a different noise on every run
};

enum class ParseOutcome { Run, Help, Error };

// Fills `options` from the command line; on Error `message` says why.
ParseOutcome parseOptions(int argc, char** argv, SimOptions& options, std::string& message);

extern const char kUsage[];

}  // namespace targetsim
