#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace korvel::system {

// How a file is read whole.
struct WholeFileRules {
    // More bytes than this: the file is refused as too large.
    std::size_t largest = 0;
    // True: only a regular file is read, and anything else (a FIFO, a pipe, a
    // terminal or other device, also behind a link) is refused at once. False:
    // a pipe or FIFO is read as its writer writes, for `waitLimit` in all.
    bool regularOnly = true;
    std::chrono::milliseconds waitLimit{0};
    // Called at least every kWaitSliceMs while a writer is awaited: it may run
    // the program's events, and its false ends the read as interrupted. A stop
    // request (Ctrl-C, a termination) ends such a wait too. Empty: none.
    std::function<bool()> keepWaiting = {};
};

// The longest stretch a wait for a writer goes without calling keepWaiting.
inline constexpr int kWaitSliceMs = 20;

// What reading a file whole gave.
struct WholeFile {
    enum class Outcome {
        Read,         // `content` holds every byte
        Missing,      // the path names nothing
        NotOpened,    // the system refused to open it; `reason` says why
        IsDirectory,  // a folder
        NotRegular,   // not a regular file, and only regular files were allowed
        TooLarge,     // more than `largest` bytes
        TooSlow,      // a writer did not finish within `waitLimit`
        ReadFailed,   // the system reported a read error; `reason` says why
        Interrupted,  // a stop request or keepWaiting ended the wait
    };
    Outcome outcome = Outcome::Missing;
    std::string content;
    std::string reason;  // the system's words, for Missing, NotOpened and ReadFailed
};

// Reads the file at `path` (UTF-8) whole. Opening never waits: a FIFO without
// a writer reads as ended once it has been awaited. One implementation per
// system (WholeFilePosix.cpp, WholeFileWindows.cpp).
WholeFile readWholeFile(const std::string& path, const WholeFileRules& rules);

}  // namespace korvel::system
