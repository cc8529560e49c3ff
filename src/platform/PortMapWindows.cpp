// Port devices on Windows: the system names its serial ports itself.
#include "platform/PortMap.h"

namespace korvel::platform {

std::optional<std::string> PortMap::device(int number) const
{
    if (number < kFirstPort)
        return std::nullopt;
    return "COM" + std::to_string(number);
}

// The Device Manager shows the number Windows gave each port.
std::string PortMap::howToAssign(const std::string&) const
{
    return "Windows numbers the ports itself: the Device Manager shows their numbers.";
}

}  // namespace korvel::platform
