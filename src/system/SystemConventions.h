#pragma once

#include <string>

namespace korvel::system {

// The name under which the system opens the serial device the user named. On
// Windows a port name "COMn" in any case becomes "\\.\COMn", the form that
// names from COM10 up need and that every port accepts; other names, and
// every name elsewhere, stay as given.
std::string serialDeviceName(const std::string& given);

}  // namespace korvel::system
