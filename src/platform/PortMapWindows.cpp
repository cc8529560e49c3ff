// Port devices on Windows: the system names its serial ports itself.
#include "platform/PortMap.h"

namespace korvel::platform {

std::optional<std::string> PortMap::device(int number) const
{
    if (number < kFirstPort)
        return std::nullopt;
    return "COM" + std::to_string(number);
}

}  // namespace korvel::platform
