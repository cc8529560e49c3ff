#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::platform {

// What a port lock file holds: the number of the process that holds the
// device, and the program's name where the file gives one. The forms in use:
// the number in ASCII ("      4711\n", padded or not), followed by the
// program's name or by lines of its own ("4711 minicom root", "4711\napp\nhost"),
// and the number as four binary bytes in the machine's order.
struct LockContent {
    long pid = 0;
    std::string program;  // empty when the file names none
};

// The content read from a lock file, or nothing when it holds no process number.
std::optional<LockContent> parseLockFile(std::string_view bytes);

// Why a lock file stands in the way of a device.
enum class LockTrouble {
    Held,       // a running program other than this one holds it
    Broken,     // no regular file, unreadable, or no process number in it
    StaleKept,  // its process has ended, but this user may not remove it
    Stale,      // its process has ended; only looked at, not removed
    Ours,       // this run's own lock: the serial library decides
};

struct LockFinding {
    LockTrouble trouble = LockTrouble::Broken;
    std::string path;  // the lock file
    long pid = 0;      // the process it names, 0 when none
    std::string text;  // cause and fix in words, foreign names escaped
};

// The lock files that programs leave beside each other to hold a serial device
// ("LCK..ttyUSB0" in /var/lock). The serial library takes a lock of its own
// when it opens a port, but would take over a lock of another running program
// whose name it does not know; so the way is cleared here first, and a port
// whose lock belongs to a running program is never handed to the library.
// Lock files are looked at without following links and read without waiting:
// a FIFO, a link or a device in their place is reported, never opened.
class PortLocks {
public:
    // The folders where programs on this system keep lock files, the serial
    // library's included. None on Windows, where the system itself holds ports.
    static std::vector<std::string> systemFolders();

    // Examines the lock files in `folders`, in that order.
    explicit PortLocks(std::vector<std::string> folders = systemFolders());

    // Clears the way to `device`: lock files whose process has ended are
    // removed. Returns what still stands in the way (a running holder, a
    // broken lock, a stale lock this user may not remove), or nothing.
    std::optional<LockFinding> clearWay(const std::string& device) const;

    // The lock file of `device` that stands in the way, without removing
    // anything, this run's own last: for saying why a device did not open.
    std::optional<LockFinding> look(const std::string& device) const;

    const std::vector<std::string>& folders() const { return folders_; }

private:
    std::optional<LockFinding> examine(const std::string& device, bool removeStale) const;

    std::vector<std::string> folders_;
};

// "minicom (process 4711)": the running program's name, escaped, from its
// command line, else from the system's short name, else `fallback`.
std::string runningProgram(long pid, const std::string& fallback = {});

}  // namespace korvel::platform
