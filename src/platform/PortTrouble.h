#pragma once

#include <QSerialPort>
#include <QString>
#include <string>

#include "platform/PortLocks.h"
#include "platform/PortMap.h"

// Why a serial port cannot be used, in words for its user: the cause the
// system reports and what to do about it.
namespace korvel::platform {

enum class DeviceTrouble {
    Missing,     // no such device, or no hardware behind it
    Permission,  // this user may not open it
    Busy,        // another program holds it
    NotSerial,   // it exists but is no serial device
    Other,       // none of these; the serial layer's own reason stands
};

struct DeviceDiagnosis {
    DeviceTrouble trouble = DeviceTrouble::Other;
    std::string text;  // cause and fix, e.g. "no such device"
};

// Looks at a device that would not open: whether it exists, is a serial
// device, may be opened by this user and is held by another program, which it
// names where it can (never this run), or the lock file that stands in the
// way. `error` and `serialReason` are what the serial layer reported; they
// stand when nothing more definite is found. The system's side is in
// PortTroublePosix.cpp and PortTroubleWindows.cpp.
DeviceDiagnosis diagnoseDevice(const std::string& device, QSerialPort::SerialPortError error,
                               const std::string& serialReason, const PortLocks& locks = PortLocks());

// The cause and fix for a device that would not open, as `diagnosis` found
// it; for a missing device followed by the serial devices present now.
std::string openTrouble(const DeviceDiagnosis& diagnosis, const PortMap& ports);
// The cause alone ("no such device"): what a run that waits for the device
// says it waits for, where the fix would tell it to try again later.
std::string openCause(const DeviceDiagnosis& diagnosis);

// Why a port number has no device: the port numbers there are, the devices
// present now and how the ports file gives a number a device.
std::string unmappedTrouble(const PortMap& ports);

// The serial devices present now, each with its port number where it has one
// and what the system knows about it, e.g. "Serial devices present now: COM5 =
// /dev/ttyUSB0 - FT232R USB UART, FTDI." Says so when none is a USB adapter.
std::string presentDevices(const PortMap& ports);

// Why no port of the map could be opened: no serial device at all, or
// devices found and none opened, with the likely reason. For the tooltip of
// an empty port list.
QString whyNoPortOpens(const PortMap& ports);

// For each port: its device, whether it exists now and can be opened, and
// what the system knows about it, one line each, after the ports file in
// use; then the serial devices present. Opens each device that is there.
QString portsReport(const PortMap& ports);

}  // namespace korvel::platform
