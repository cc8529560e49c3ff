// Serial device settings on Windows: what the POSIX side has to ask for, a
// COM port does by itself. It pauses output until XON, opens for one handle
// only and delivers received bytes through the port's own notifications.
#include "platform/TtyControl.h"

namespace korvel::platform::tty {

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

// The port's own queue holds what the driver has not taken; the driver's
// queue is not asked for, since reading it would also clear the error state
// that QSerialPort reports from.
int bytesInOutput(DeviceHandle)
{
    return 0;
}

qint64 readNow(DeviceHandle, char*, qint64)
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

}  // namespace korvel::platform::tty
