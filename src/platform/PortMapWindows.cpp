// Port devices on Windows: the system names its serial ports itself.
#include "platform/PortMap.h"

namespace korvel::platform {

std::optional<std::string> PortMap::device(int number) const
{
    if (number < kFirstPort)
        return std::nullopt;
    return "COM" + std::to_string(number);
}

std::string PortMap::source() const
{
    return "Windows numbers the ports itself: COMn is port n. The Device Manager shows the numbers.";
}

// The Device Manager shows the number Windows gave each port.
std::string PortMap::howToAssign(const std::string&) const
{
    return "Windows numbers the ports itself: the Device Manager shows their numbers.";
}

}  // namespace korvel::platform
