// Port lock files on POSIX systems: looked at with lstat, opened without
// following links and without waiting, read up to a few bytes.
#include "platform/PortLocks.h"

#include <QDir>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/ForeignText.h"
#include "platform/SystemText.h"
#include "system/Descriptor.h"

namespace korvel::platform {

namespace {

// More than any lock form holds: a file that grew beyond is read no further.
constexpr std::size_t kMostLockBytes = 128;
// More than a command line's first word needs.
constexpr std::size_t kMostNameBytes = 4096;

// Up to `most` bytes of a file opened without waiting and without following
// a link; nothing when it cannot be opened.
std::optional<std::string> readSome(const std::string& path, std::size_t most)
{
    const system::Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0)
        return std::nullopt;
    std::string bytes(most, '\0');
    std::size_t taken = 0;
    while (taken < most) {
        const ssize_t count = ::read(file.get(), bytes.data() + taken, most - taken);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        taken += std::size_t(count);
    }
    bytes.resize(taken);
    return bytes;
}

bool isRunning(long pid)
{
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

std::string ownerName(uid_t uid)
{
    if (const passwd* found = ::getpwuid(uid))
        return escapedForeign(found->pw_name);
    return "user " + std::to_string(uid);
}

std::string kindOf(const struct stat& node)
{
    if (S_ISLNK(node.st_mode))
        return "a symbolic link";
    if (S_ISFIFO(node.st_mode))
        return "a FIFO";
    if (S_ISDIR(node.st_mode))
        return "a folder";
    if (S_ISCHR(node.st_mode) || S_ISBLK(node.st_mode))
        return "a device";
    if (S_ISSOCK(node.st_mode))
        return "a socket";
    return "a special file";
}

// "LCK..ttyUSB0" for /dev/ttyUSB0, "LCK..pts_1" for /dev/pts/1, the serial
// library's form: the path below /dev with every slash an underscore. Other
// programs name the lock after the device's last name; both count, for the
// path given and for the device it leads to.
std::vector<std::string> lockNames(const std::string& device)
{
    std::vector<std::string> paths{device};
    if (char* real = ::realpath(device.c_str(), nullptr)) {
        paths.emplace_back(real);
        std::free(real);
    }
    std::vector<std::string> names;
    const auto add = [&names](std::string name) {
        if (name.size() > 5 && std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(std::move(name));
    };
    for (std::string path : paths) {
        add("LCK.." + path.substr(path.find_last_of('/') + 1));
        if (path.rfind("/dev/", 0) == 0)
            path.erase(0, 5);
        std::replace(path.begin(), path.end(), '/', '_');
        add("LCK.." + path);
    }
    return names;
}

std::string removeHint(const std::string& shownPath)
{
    return "\"sudo rm " + shownPath + "\"";
}

LockFinding broken(const std::string& path, const std::string& why, uid_t owner)
{
    const std::string shown = escapedForeign(path);
    const std::string cause =
        "the lock file " + shown + " " + why + ", so it cannot tell whether another program uses the port.";
    const std::string fix = " If none does, its owner " + ownerName(owner) +
                            " or the administrator may remove it: " + removeHint(shown) + ". Then try again.";
    return {LockTrouble::Broken, path, 0, cause + fix};
}

std::optional<LockFinding> examineFile(const std::string& path, bool removeStale)
{
    struct stat seen {};
    if (::lstat(path.c_str(), &seen) != 0)
        return std::nullopt;
    if (!S_ISREG(seen.st_mode))
        return broken(path, "is " + kindOf(seen) + ", not a regular file", seen.st_uid);
    errno = 0;
    const auto bytes = readSome(path, kMostLockBytes);
    if (!bytes) {
        const int reason = errno;
        if (reason == ENOENT)
            return std::nullopt;
        if (reason == ELOOP)
            return broken(path, "is a symbolic link, not a regular file", seen.st_uid);
        return broken(path, "cannot be read (" + std::string(std::strerror(reason)) + ")", seen.st_uid);
    }
    const auto content = parseLockFile(*bytes);
    if (!content)
        return broken(path, "holds no process number", seen.st_uid);
    const std::string shown = escapedForeign(path);
    if (content->pid == long(::getpid()))
        return LockFinding{LockTrouble::Ours, path, content->pid,
                           "in use: the lock file " + shown +
                               " holds it. Close the program that uses the port, then try again."};
    if (isRunning(content->pid))
        return LockFinding{LockTrouble::Held, path, content->pid,
                           "in use by another program: " + runningProgram(content->pid, content->program) +
                               ", which holds the lock file " + shown + ". Close it, then try again."};
    const std::string ended =
        "the lock file " + shown + " was left by process " + std::to_string(content->pid) + ", which has ended";
    if (!removeStale)
        return LockFinding{LockTrouble::Stale, path, content->pid,
                           ended + ". If it stays in the way, its owner " + ownerName(seen.st_uid) +
                               " or the administrator may remove it: " + removeHint(shown) + "."};

    // Taken over: removed, unless another program put a lock of its own in
    // its place meanwhile.
    struct stat now {};
    if (::lstat(path.c_str(), &now) != 0)
        return std::nullopt;
    if (now.st_dev != seen.st_dev || now.st_ino != seen.st_ino)
        return examineFile(path, false);
    if (::unlink(path.c_str()) == 0 || errno == ENOENT)
        return std::nullopt;
    const std::string reason = std::strerror(errno);
    const std::string owner = ownerName(seen.st_uid);
    return LockFinding{LockTrouble::StaleKept, path, content->pid,
                       ended + ", but it belongs to " + owner + " and you may not remove it (" + reason + "). Ask " +
                           owner + " or the administrator to remove it: " + removeHint(shown) + ". Then try again."};
}

}  // namespace

std::vector<std::string> PortLocks::systemFolders()
{
    std::vector<std::string> folders{"/var/lock", "/etc/locks", "/var/spool/locks",  "/var/spool/uucp",
                                     "/tmp",      "/var/tmp",   "/var/lock/lockdev", "/run/lock"};
    const std::string temp = systemPath(QDir::tempPath());
    if (std::find(folders.begin(), folders.end(), temp) == folders.end())
        folders.push_back(temp);
    return folders;
}

std::optional<LockFinding> PortLocks::examine(const std::string& device, bool removeStale) const
{
    std::optional<LockFinding> ours;
    for (const std::string& folder : folders_) {
        for (const std::string& name : lockNames(device)) {
            auto finding = examineFile(folder + "/" + name, removeStale);
            if (!finding)
                continue;
            if (finding->trouble != LockTrouble::Ours)
                return finding;
            if (!ours)
                ours = std::move(finding);
        }
    }
    return removeStale ? std::nullopt : ours;
}

std::string runningProgram(long pid, const std::string& fallback)
{
    const std::string dir = "/proc/" + std::to_string(pid);
    std::string name;
    if (const auto command = readSome(dir + "/cmdline", kMostNameBytes)) {
        const std::string first = command->substr(0, command->find('\0'));
        name = first.substr(first.find_last_of('/') + 1);
    }
    if (name.empty()) {
        if (const auto comm = readSome(dir + "/comm", kMostNameBytes)) {
            name = *comm;
            if (!name.empty() && name.back() == '\n')
                name.pop_back();
        }
    }
    if (name.empty())
        name = fallback.empty() ? "a program" : fallback;
    return escapedForeign(name) + " (process " + std::to_string(pid) + ")";
}

}  // namespace korvel::platform
