#pragma once

#include <string>

namespace korvel::system {

// The name under which the system opens the serial device the user named. On
// Windows a port name "COMn" in any case becomes "\\.\COMn", the form that
// names from COM10 up need and that every port accepts; other names, and
// every name elsewhere, stay as given.
std::string serialDeviceName(const std::string& given);

// For the help text: serial devices as this system names them, and the exit
// statuses of a run stopped from outside with what stops it here.
extern const char* const kSerialDeviceExamples;
extern const char* const kStopStatusesHelp;

}  // namespace korvel::system
