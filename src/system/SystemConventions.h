#pragma once

#include <string>

namespace korvel::system {

// The name under which the system opens the serial device the user named. On
// Windows a port name "COMn" in any case becomes "\\.\COMn", the form that
// names from COM10 up need and that every port accepts; other names, and
// every name elsewhere, stay as given.
std::string serialDeviceName(const std::string& given);

// True when the two names open the same serial device. On Windows names are
// compared in one form, without the "\\.\" prefix and in any case ("COM3",
// "com3" and "\\.\COM3" are one port); elsewhere they must be equal.
bool sameSerialDevice(const std::string& one, const std::string& other);

}  // namespace korvel::system
