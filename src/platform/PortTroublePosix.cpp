// Why a serial device does not open on POSIX systems: the node, its mode and
// group, the lock files of the programs that hold it and their open files.
#include "platform/PortTrouble.h"

#include "platform/PortLocks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace korvel::platform {

namespace {

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string groupName(gid_t gid)
{
    if (const group* found = ::getgrgid(gid))
        return found->gr_name;
    return std::to_string(gid);
}

std::string userName(uid_t uid)
{
    if (const passwd* found = ::getpwuid(uid))
        return found->pw_name;
    return std::to_string(uid);
}

bool inGroupNow(gid_t gid)
{
    if (::getegid() == gid)
        return true;
    std::vector<gid_t> groups(std::size_t(std::max(::getgroups(0, nullptr), 0)));
    const int count = ::getgroups(int(groups.size()), groups.data());
    return count > 0 && std::find(groups.begin(), groups.begin() + count, gid) != groups.begin() + count;
}

// The group database lists the user, although this session is not in the
// group: the user joined it and has not logged in again since.
bool joinedSinceLogin(gid_t gid)
{
    const group* found = ::getgrgid(gid);
    const passwd* user = ::getpwuid(::geteuid());
    if (!found || !user)
        return false;
    for (char** member = found->gr_mem; member && *member; ++member)
        if (std::strcmp(*member, user->pw_name) == 0)
            return true;
    return false;
}

std::string permissionText(const struct stat& node)
{
    const bool groupMayUse = (node.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    if (!groupMayUse || node.st_gid == 0 || inGroupNow(node.st_gid))
        return "permission denied: only its owner " + userName(node.st_uid) +
               " may open it. Ask the administrator to give it to the group dialout (a udev rule).";
    const std::string group = groupName(node.st_gid);
    if (joinedSinceLogin(node.st_gid))
        return "permission denied: you joined the group " + quoted(group) +
               ", but this session started before that. Log out and in again.";
    return "permission denied: the device belongs to the group " + quoted(group) + ", which you are not in. Run " +
           quoted("sudo usermod -aG " + group + " $USER") + ", then log out and in again.";
}

// The processes other than this one with the device open, as far as this
// user may see them.
std::vector<long> openers(const std::string& device)
{
    const QString real = QFileInfo(QFile::decodeName(device.c_str())).canonicalFilePath();
    std::vector<long> found;
    if (real.isEmpty())
        return found;
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isNumber = false;
        const long pid = entry.toLong(&isNumber);
        if (!isNumber || pid == long(::getpid()))
            continue;
        const QDir fds(proc.filePath(entry + QStringLiteral("/fd")));
        for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
            if (fd.symLinkTarget() == real) {
                found.push_back(pid);
                break;
            }
        }
    }
    return found;
}

// Who holds the device: the programs that have it open, else the lock file
// that stands in the way.
std::string busyText(const std::string& device, const PortLocks& locks)
{
    const std::vector<long> holders = openers(device);
    if (holders.empty()) {
        if (const auto lock = locks.look(device))
            return lock->text;
        return "in use by another program. Close it, then try again.";
    }
    std::string names;
    for (std::size_t i = 0; i < holders.size() && i < 3; ++i)
        names += (i == 0 ? "" : ", ") + runningProgram(holders[i]);
    return "in use by another program: " + names + ". Close it, then try again.";
}

std::string notSerialText(const struct stat& node)
{
    std::string what = "not a serial device";
    if (S_ISREG(node.st_mode))
        what += " but a regular file";
    else if (S_ISDIR(node.st_mode))
        what += " but a folder";
    return what + ". Name a serial device such as /dev/ttyUSB0 or one under /dev/serial/by-id.";
}

}  // namespace

DeviceDiagnosis diagnoseDevice(const std::string& device, QSerialPort::SerialPortError error,
                               const std::string& serialReason, const PortLocks& locks)
{
    struct stat node {};
    if (::stat(device.c_str(), &node) != 0) {
        if (errno == EACCES)
            return {DeviceTrouble::Permission, "permission denied on the way to the device"};
        return {DeviceTrouble::Missing, "no such device"};
    }
    if (!S_ISCHR(node.st_mode))
        return {DeviceTrouble::NotSerial, notSerialText(node)};
    if (::faccessat(AT_FDCWD, device.c_str(), R_OK | W_OK, AT_EACCESS) != 0 && errno == EACCES)
        return {DeviceTrouble::Permission, permissionText(node)};
    if (const auto lock = locks.look(device); lock && lock->trouble != LockTrouble::Ours)
        return {DeviceTrouble::Busy, lock->text};

    // Opening it once more tells the rest. A device held with TIOCEXCL refuses
    // a second open; one held with flock refuses a second lock.
    const int handle = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0) {
        const int reason = errno;
        switch (reason) {
        case EBUSY:
            return {DeviceTrouble::Busy, busyText(device, locks)};
        case EACCES:
        case EPERM:
            return {DeviceTrouble::Permission, permissionText(node)};
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case EIO:
            return {DeviceTrouble::Missing,
                    "no such device: no hardware answers behind it (" + std::string(std::strerror(reason)) + ")"};
        default:
            return {DeviceTrouble::Other, std::strerror(reason)};
        }
    }
    // Our own handle is closed before the holders are looked for, so that
    // this run never finds itself among them.
    const bool serial = ::isatty(handle);
    const bool locked = serial && ::flock(handle, LOCK_EX | LOCK_NB) != 0;
    ::close(handle);
    if (!serial)
        return {DeviceTrouble::NotSerial, notSerialText(node)};
    // The serial layer found it locked or held exclusively where these checks
    // do not see it (root passes a TIOCEXCL hold).
    if (locked || error == QSerialPort::PermissionError)
        return {DeviceTrouble::Busy, busyText(device, locks)};
    return {DeviceTrouble::Other, serialReason};
}

}  // namespace korvel::platform
