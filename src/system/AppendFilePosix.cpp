#include "system/AppendFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel::system {

namespace {

// How long a pipe's reader may leave the pipe full before the log gives up.
constexpr int kPipeReaderMs = 5000;

}  // namespace

AppendFile::~AppendFile()
{
    if (isOpen())
        ::close(static_cast<int>(handle_));
}

// A link of our own or the system's is followed; any other is not. The open
// itself refuses a link that appears after the look (O_NOFOLLOW), and what was
// opened is then checked, so that a change of the path in between cannot slip
// anything else in. The open does not wait: a pipe without a reader fails at
// once (ENXIO), and so does every later write that finds a pipe full too long.
bool AppendFile::open(const std::string& path)
{
    struct stat entry {};
    int flags = O_WRONLY | O_APPEND | O_CREAT | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
    if (::lstat(path.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode)) {
        if (entry.st_uid != ::geteuid() && entry.st_uid != 0) {
            reason_ = "it is a symbolic link that another user owns";
            return false;
        }
    } else {
        flags |= O_NOFOLLOW;
    }
    const int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) {
        reason_ = errno == ELOOP   ? "it is a symbolic link that appeared while it was opened"
                  : errno == ENXIO ? "it is a pipe that no program reads"
                                   : std::strerror(errno);
        return false;
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !(S_ISREG(opened.st_mode) || S_ISFIFO(opened.st_mode))) {
        reason_ = "it is neither a regular file nor a pipe";
        ::close(fd);
        return false;
    }
    handle_ = fd;
    return true;
}

bool AppendFile::isFile(const std::string& path) const
{
    struct stat mine {
    }, other{};
    return isOpen() && ::fstat(static_cast<int>(handle_), &mine) == 0 && ::stat(path.c_str(), &other) == 0 &&
           mine.st_dev == other.st_dev && mine.st_ino == other.st_ino;
}

bool AppendFile::append(std::string_view bytes)
{
    if (!isOpen()) {
        reason_ = "it is not open";
        return false;
    }
    while (!bytes.empty()) {
        const ssize_t written = ::write(static_cast<int>(handle_), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno == EAGAIN) {
            pollfd room{static_cast<int>(handle_), POLLOUT, 0};
            if (::poll(&room, 1, kPipeReaderMs) > 0)
                continue;
            reason_ = "its reader left the pipe full for " + std::to_string(kPipeReaderMs / 1000) + " s";
            return false;
        }
        if (written <= 0) {
            reason_ = written < 0 ? std::strerror(errno) : "nothing could be written";
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace korvel::system
