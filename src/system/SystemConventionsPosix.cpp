// Names and texts of Linux and other POSIX systems.
#include "system/SystemConventions.h"

namespace korvel::system {

std::string serialDeviceName(const std::string& given)
{
    return given;
}

bool sameSerialDevice(const std::string& one, const std::string& other)
{
    return one == other;
}

}  // namespace korvel::system
