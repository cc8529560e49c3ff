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

// True when a read, write or resource error that QSerialPort just reported
// was a passing one and the device still works. On POSIX, QSerialPort reports
// a write that finds the output paused by XOFF (EAGAIN) as a resource error.
bool errorWasTransient(DeviceHandle handle);

}  // namespace korvel::platform::tty
