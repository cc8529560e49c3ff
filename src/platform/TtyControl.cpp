#include "platform/TtyControl.h"

#ifdef Q_OS_UNIX
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/serial.h>
#endif

namespace korvel::platform::tty {

#ifdef Q_OS_UNIX

bool resumeOnlyOnXon(DeviceHandle handle)
{
    termios settings {};
    if (::tcgetattr(handle, &settings) != 0)
        return false;
    settings.c_iflag &= ~tcflag_t(IXANY);
    return ::tcsetattr(handle, TCSANOW, &settings) == 0;
}

void requestLowLatency(DeviceHandle handle)
{
#ifdef Q_OS_LINUX
    serial_struct serial {};
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

bool errorWasTransient(DeviceHandle handle)
{
    return bytesInDevice(handle) >= 0;
}

#else

// Windows pauses output until XON, opens a COM port for one handle only and
// delivers received bytes through the port's own notifications.
bool resumeOnlyOnXon(DeviceHandle) { return true; }
void requestLowLatency(DeviceHandle) {}
bool lockExclusive(DeviceHandle) { return true; }
int bytesInDevice(DeviceHandle) { return 0; }
bool errorWasTransient(DeviceHandle) { return false; }

#endif

}  // namespace korvel::platform::tty
