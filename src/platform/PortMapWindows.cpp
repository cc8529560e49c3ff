// Port devices on Windows: the system names its serial ports itself.
#include "platform/PortMap.h"
#include "platform/SystemText.h"
#include "system/SystemConventions.h"

#include <QSerialPortInfo>

namespace korvel::platform {

std::optional<std::string> PortMap::device(int number) const
{
    if (number < kFirstPort)
        return std::nullopt;
    return "COM" + std::to_string(number);
}

bool PortMap::worthProbing(int number) const
{
    const auto name = device(number);
    if (!name)
        return false;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        if (system::sameSerialDevice(programText(info.portName()), *name))
            return true;
    return false;
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
