// Why a serial port does not open on Windows: the system lists the ports it
// has, and a port that another program holds refuses access.
#include "platform/PortTrouble.h"
#include "platform/SystemText.h"
#include "system/SystemConventions.h"

#include <QSerialPortInfo>

namespace korvel::platform {

DeviceDiagnosis diagnoseDevice(const std::string& device, QSerialPort::SerialPortError error,
                               const std::string& serialReason, const PortLocks&)
{
    // The system lists "COM3"; the port may have been named "\\.\COM3" or "com3".
    bool listed = false;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        listed = listed || system::sameSerialDevice(programText(info.portName()), device);
    if (!listed || error == QSerialPort::DeviceNotFoundError)
        return {DeviceTrouble::Missing, "no such device"};
    if (error == QSerialPort::PermissionError)
        return {DeviceTrouble::Busy, "in use by another program, or access denied. Close the program that uses it, "
                                     "then try again."};
    return {DeviceTrouble::Other, serialReason};
}

}  // namespace korvel::platform
