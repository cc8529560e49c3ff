// Reading a file whole on Linux and other POSIX systems.
#include "system/WholeFile.h"

#include "system/Descriptor.h"
#include "system/StopRequests.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel::system {

namespace {

WholeFile failed(WholeFile::Outcome outcome, int error = 0)
{
    return {outcome, {}, error != 0 ? std::strerror(error) : ""};
}

// Waits until `fd` can be read, at most `limitMs` (negative: no limit), and
// for a stop request beside it. Gives the count of ready descriptors as poll()
// does, or -2 for a stop.
int waitReadable(int fd, int limitMs)
{
    pollfd waits[] = {{fd, POLLIN, 0}, {stopWaitable(), POLLIN, 0}};
    const int polled = ::poll(waits, waits[1].fd >= 0 ? 2 : 1, limitMs);
    if (polled > 0 && waits[1].fd >= 0 && waits[1].revents != 0)
        return -2;
    return polled;
}

}  // namespace

// Reads in the order the bytes come. A regular file is always ready; anything
// else (a pipe, a FIFO, a device) waits for its writer in slices, and must have
// ended when the limit is over. A FIFO that has no writer yet is waited for
// like a slow writer.
WholeFile readWholeFile(const std::string& path, const WholeFileRules& rules)
{
    // Non-blocking, so that opening a FIFO without a writer, or a terminal,
    // does not wait. The type is then checked on what was opened, which a
    // change of the path after a check cannot replace.
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0)
        return failed(errno == ENOENT ? WholeFile::Outcome::Missing : WholeFile::Outcome::NotOpened, errno);
    struct stat status {};
    if (::fstat(file.get(), &status) != 0)
        return failed(WholeFile::Outcome::NotOpened, errno);
    if (S_ISDIR(status.st_mode))
        return failed(WholeFile::Outcome::IsDirectory, EISDIR);
    const bool regular = S_ISREG(status.st_mode);
    if (!regular && rules.regularOnly)
        return failed(WholeFile::Outcome::NotRegular);

    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + rules.waitLimit;
    WholeFile whole{WholeFile::Outcome::Read, {}, {}};
    char piece[65536];
    for (;;) {
        if (!regular) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return failed(WholeFile::Outcome::TooSlow);
            const int polled = waitReadable(file.get(), static_cast<int>(std::min<long long>(left, kWaitSliceMs)));
            if (polled == -2)
                return failed(WholeFile::Outcome::Interrupted);
            if (polled < 0 && errno != EINTR)
                return failed(WholeFile::Outcome::ReadFailed, errno);
            if (rules.keepWaiting && !rules.keepWaiting())
                return failed(WholeFile::Outcome::Interrupted);
            if (polled <= 0)
                continue;
        }
        const ssize_t got = ::read(file.get(), piece, sizeof piece);
        if (got == 0)
            return whole;
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got < 0)
            return failed(WholeFile::Outcome::ReadFailed, errno);
        if (whole.content.size() + static_cast<std::size_t>(got) > rules.largest)
            return failed(WholeFile::Outcome::TooLarge);
        whole.content.append(piece, static_cast<std::size_t>(got));
    }
}

}  // namespace korvel::system
