#pragma once

#include <QSerialPort>
#include <utility>

// Settings of an open serial device that QSerialPort does not offer. Where a
// system has no such setting, the functions leave the device as it is.
namespace korvel::platform::tty {

// The system's handle of an open port (a file descriptor on POSIX).
using DeviceHandle = decltype(std::declval<QSerialPort&>().handle());

// Output paused by XOFF resumes only on XON, not on any received character.
// False when the device refused the change.
bool resumeOnlyOnXon(DeviceHandle handle);

// Asks the driver to pass received bytes on without delay; a device that does
// not support it is left as it is.
void requestLowLatency(DeviceHandle handle);

// Locks the device for this open handle alone, so that a second opener of the
// same device, under any of its names, is refused. False when already locked.
bool lockExclusive(DeviceHandle handle);

// Number of received bytes waiting in the device and not yet taken by
// QSerialPort, or -1 when the device no longer answers (the other end hung up,
// the adapter was unplugged).
int bytesInDevice(DeviceHandle handle);

// Number of bytes written to the device and not yet sent on the line, 0 when
// the device does not tell (a pseudo-terminal sends at once) or no longer
// answers.
int bytesInOutput(DeviceHandle handle);

// Reads up to `size` received bytes without waiting (the handle is
// non-blocking, as QSerialPort opens it) and returns how many it took, 0 when
// none were there. -1 when the read failed; errno says why. Where a system has
// no such read, bytesInDevice() counts nothing and this is never called.
qint64 readNow(DeviceHandle handle, char* data, qint64 size);

// Hands the bytes to the device without waiting (the handle is non-blocking,
// as QSerialPort opens it) and returns how many it took: fewer than offered,
// none at all, when its buffer is full or XOFF paused its output. -1 when the
// write failed; errno says why. Where a system has no such write, it takes
// nothing and the port's own queue sends every byte.
qint64 writeNow(DeviceHandle handle, const char* data, qint64 size);

// True when a read, write or resource error that QSerialPort just reported
// was a passing one and the device still works. On POSIX, QSerialPort reports
// a write that finds the output paused by XOFF (EAGAIN) as a resource error.
bool errorWasTransient(DeviceHandle handle);

}  // namespace korvel::platform::tty
