#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Failure.h"

namespace korvel::link {

// A HEX file that cannot be opened. what() is the reason in the system's words
// ("No such file or directory", "Is a directory", "Permission denied").
class FileOpenError : public Failure {
public:
    FileOpenError(const std::string& reason, std::string absolutePath)
        : Failure(reason)
        , absolutePath_(std::move(absolutePath))
    {
    }
    // The path as the system resolved it, for the user.
    const std::string& absolutePath() const { return absolutePath_; }

private:
    std::string absolutePath_;
};

// A HEX file opened but not read whole.
class FileError : public Failure {
public:
    enum class Cause {
        ReadFailed,   // the system reported a read error; what() is its reason
        TooLarge,     // more than protocol::kMostHexFileBytes bytes
        TooSlow,      // a pipe's writer did not finish within protocol::kHexReadSeconds
        Interrupted,  // the wait for a pipe's writer was ended by a stop or the user
    };
    explicit FileError(Cause cause, const std::string& reason = {}) : Failure(reason), cause_(cause) {}
    Cause cause() const { return cause_; }

private:
    Cause cause_;
};

class HexFiles {
public:
    // Called again and again while a pipe's writer is awaited (the program's
    // events may run inside); false ends the wait.
    using KeepWaiting = std::function<bool()>;

    virtual ~HexFiles() = default;
    // Every byte of the file, read at once when it is opened, so that the lines
    // sent are exactly the lines counted. A file or a pipe; opening never waits
    // for a FIFO's writer, and reading waits for it at most
    // protocol::kHexReadSeconds, calling `keepWaiting` meanwhile. Throws
    // FileOpenError or FileError.
    virtual std::string read(const std::string& path, const KeepWaiting& keepWaiting) = 0;
};

// The lines of a HEX file. A line ends at CR, at LF or at CR LF; the line end
// is not part of the line, and a line end at the very end of the text adds no
// empty line. Every other byte stays as it is. None when the text has more
// than `most` lines.
std::optional<std::vector<std::string>> splitHexLines(std::string_view text, std::size_t most);

}  // namespace korvel::link
