#include "system/AppendFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel::system {

AppendFile::~AppendFile()
{
    if (isOpen())
        ::close(static_cast<int>(handle_));
}

// A link of our own is followed; any other is not. The open itself refuses a
// link that appears after the look (O_NOFOLLOW), and what was opened is then
// checked, so that a change of the path in between cannot slip anything else in.
bool AppendFile::open(const std::string& path)
{
    struct stat entry {};
    int flags = O_WRONLY | O_APPEND | O_CREAT | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
    if (::lstat(path.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode)) {
        if (entry.st_uid != ::geteuid()) {
            failure_ = "it is a symbolic link that another user owns";
            return false;
        }
    } else {
        flags |= O_NOFOLLOW;
    }
    const int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) {
        failure_ = errno == ELOOP ? "it is a symbolic link that appeared while it was opened" : std::strerror(errno);
        return false;
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        failure_ = "it is not a regular file";
        ::close(fd);
        return false;
    }
    // Writes may block from here on: a regular file never makes them wait long.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    handle_ = fd;
    return true;
}

bool AppendFile::append(std::string_view bytes)
{
    if (!isOpen()) {
        failure_ = "it is not open";
        return false;
    }
    while (!bytes.empty()) {
        const ssize_t written = ::write(static_cast<int>(handle_), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            failure_ = written < 0 ? std::strerror(errno) : "nothing could be written";
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace korvel::system
