#include "PtySink.h"

#include <cerrno>
#include <climits>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <unistd.h>

PtySink::PtySink()
{
    char path[PATH_MAX] = {};
    if (::openpty(&master_, &slave_, path, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    slavePath_ = path;
    if (::pipe(stopPipe_) != 0)
        throw std::runtime_error("pipe failed");
    reader_ = std::thread([this] { drain(); });
}

PtySink::~PtySink()
{
    ::close(stopPipe_[1]);  // the reader sees the pipe hang up and returns
    reader_.join();
    for (const int fd : {stopPipe_[0], master_, slave_})
        ::close(fd);
}

korvel::platform::PortMap PtySink::portMap(int number) const
{
    return korvel::platform::PortMap::fromText("COM" + std::to_string(number) + "=" + slavePath_);
}

// Reads whatever arrives until the write end of the stop pipe is closed.
void PtySink::drain()
{
    pollfd watched[2] = {{master_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
    char buffer[4096];
    for (;;) {
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (watched[1].revents != 0)
            return;
        const ssize_t count = ::read(master_, buffer, sizeof buffer);
        if (count > 0)
            received_ += std::size_t(count);
        else if (count == 0 || errno != EINTR)
            watched[0].fd = -1;  // the line is gone: wait for the stop alone
    }
}
