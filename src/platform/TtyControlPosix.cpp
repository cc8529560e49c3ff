// Serial device settings on POSIX systems, through termios and ioctl.
#include "platform/TtyControl.h"

#include <cerrno>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#ifdef Q_OS_LINUX
#include <linux/serial.h>
#endif

namespace korvel::platform::tty {

bool resumeOnlyOnXon(DeviceHandle handle)
{
    termios settings{};
    if (::tcgetattr(handle, &settings) != 0)
        return false;
    settings.c_iflag &= ~tcflag_t(IXANY);
    return ::tcsetattr(handle, TCSANOW, &settings) == 0;
}

#ifdef Q_OS_LINUX
void requestLowLatency(DeviceHandle handle)
{
    serial_struct serial{};
    if (::ioctl(handle, TIOCGSERIAL, &serial) != 0 || (serial.flags & ASYNC_LOW_LATENCY))
        return;
    serial.flags |= ASYNC_LOW_LATENCY;
    ::ioctl(handle, TIOCSSERIAL, &serial);
}
#else
// Other systems have no low-latency flag.
void requestLowLatency(DeviceHandle) {}
#endif

bool lockExclusive(DeviceHandle handle)
{
    return ::flock(handle, LOCK_EX | LOCK_NB) == 0;
}

int bytesInDevice(DeviceHandle handle)
{
    int count = 0;
    if (::ioctl(handle, FIONREAD, &count) != 0)
        return -1;
    return count;
}

int bytesInOutput(DeviceHandle handle)
{
    int count = 0;
    if (::ioctl(handle, TIOCOUTQ, &count) != 0 || count < 0)
        return 0;
    return count;
}

qint64 readNow(DeviceHandle handle, char* data, qint64 size)
{
    for (;;) {
        const ssize_t taken = ::read(handle, data, std::size_t(size));
        if (taken >= 0)
            return taken;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        if (errno != EINTR)
            return -1;
    }
}

qint64 writeNow(DeviceHandle handle, const char* data, qint64 size)
{
    for (;;) {
        const ssize_t written = ::write(handle, data, std::size_t(size));
        if (written >= 0)
            return written;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        if (errno != EINTR)
            return -1;
    }
}

bool errorWasTransient(DeviceHandle handle)
{
    return bytesInDevice(handle) >= 0;
}

}  // namespace korvel::platform::tty
