#include "link/DiskHexFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel::link {

namespace {

// Closes a file descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

// Reads in the order the bytes come. A regular file is always ready; anything
// else (a pipe, a FIFO, a device) waits for its writer, and must have ended
// when the limit is over. A FIFO that never had a writer reads as ended, so
// nothing is read before poll() reports it ready.
std::string DiskHexFiles::read(const std::string& path)
{
    // Non-blocking, so that opening a FIFO without a writer does not wait.
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0)
        throw openError(path, errno);
    struct stat status {};
    if (::fstat(file.get(), &status) != 0)
        throw openError(path, errno);
    if (S_ISDIR(status.st_mode))
        throw openError(path, EISDIR);

    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + readLimit_;
    const bool written = !S_ISREG(status.st_mode);
    std::string text;
    char piece[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (written && left <= 0)
            throw FileError(FileError::Cause::TooSlow);
        pollfd ready{file.get(), POLLIN, 0};
        const int polled = ::poll(&ready, 1, static_cast<int>(std::max<long long>(0, left)));
        if (polled == 0)
            throw FileError(FileError::Cause::TooSlow);
        // A failed poll leaves its reason in errno, as a failed read does.
        const ssize_t got = polled < 0 ? -1 : ::read(file.get(), piece, sizeof piece);
        if (got == 0)
            return text;
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got < 0)
            throw FileError(FileError::Cause::ReadFailed, std::strerror(errno));
        if (text.size() + static_cast<std::size_t>(got) > protocol::kMostHexFileBytes)
            throw FileError(FileError::Cause::TooLarge);
        text.append(piece, static_cast<std::size_t>(got));
    }
}

}  // namespace korvel::link
