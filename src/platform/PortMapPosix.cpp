// Port devices on POSIX systems: the ports file's, or the usual serial devices.
#include "platform/PortMap.h"

#include "settings/FilePlaces.h"

namespace korvel::platform {

namespace {

std::optional<std::string> usualDevice(int number)
{
    if (number >= 1 && number <= 4)
        return "/dev/ttyS" + std::to_string(number - 1);
    if (number >= 5 && number <= 10)
        return "/dev/ttyUSB" + std::to_string(number - 5);
    if (number >= 11 && number <= 16)
        return "/dev/ttyACM" + std::to_string(number - 11);
    return std::nullopt;
}

}  // namespace

std::optional<std::string> PortMap::device(int number) const
{
    const auto found = assigned_.find(number);
    if (found != assigned_.end())
        return found->second;
    return usualDevice(number);
}

bool PortMap::worthProbing(int number) const
{
    return device(number).has_value();
}

std::string PortMap::source() const
{
    if (fromFile_)
        return "Ports file: " + filePath_;
    return "No ports file: the usual devices (a ports file would be read from " + filePath_ + ").";
}

std::string PortMap::howToAssign(const std::string& example) const
{
    const std::string file = filePath_.empty() ? settings::kPortsFileName : filePath_;
    return "A line such as COM1=" + example + " in the ports file " + file + " gives a port its device.";
}

}  // namespace korvel::platform
