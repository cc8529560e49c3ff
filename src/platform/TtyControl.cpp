#include "platform/TtyControl.h"

#ifdef Q_OS_UNIX
#include <cerrno>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/serial.h>
#endif

namespace korvel::platform::tty {

#ifdef Q_OS_UNIX

bool resumeOnlyOnXon(DeviceHandle handle)
{
    termios settings{};
    if (::tcgetattr(handle, &settings) != 0)
        return false;
    settings.c_iflag &= ~tcflag_t(IXANY);
    return ::tcsetattr(handle, TCSANOW, &settings) == 0;
}

void requestLowLatency(DeviceHandle handle)
{
#ifdef Q_OS_LINUX
    serial_struct serial{};
    if (::ioctl(handle, TIOCGSERIAL, &serial) != 0 || (serial.flags & ASYNC_LOW_LATENCY))
        return;
    serial.flags |= ASYNC_LOW_LATENCY;
    ::ioctl(handle, TIOCSSERIAL, &serial);
#else
    Q_UNUSED(handle);
#endif
}

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

#else

// Windows pauses output until XON, opens a COM port for one handle only and
// delivers received bytes through the port's own notifications.
bool resumeOnlyOnXon(DeviceHandle)
{
    return true;
}
void requestLowLatency(DeviceHandle) {}
bool lockExclusive(DeviceHandle)
{
    return true;
}
int bytesInDevice(DeviceHandle)
{
    return 0;
}
qint64 writeNow(DeviceHandle, const char*, qint64)
{
    return 0;
}
bool errorWasTransient(DeviceHandle)
{
    return false;
}

#endif

}  // namespace korvel::platform::tty
