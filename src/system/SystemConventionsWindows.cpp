// Names and texts of Windows.
#include "system/SystemConventions.h"

#include <algorithm>
#include <cctype>

namespace korvel::system {

namespace {

const std::string kDevicePrefix = "\\\\.\\";

// The name without the device prefix.
std::string plainName(const std::string& given)
{
    return given.compare(0, kDevicePrefix.size(), kDevicePrefix) == 0 ? given.substr(kDevicePrefix.size()) : given;
}

std::string upperCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
    return text;
}

}  // namespace

std::string serialDeviceName(const std::string& given)
{
    const std::string name = plainName(given);
    const auto isDigit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    if (name.size() < 4 || !std::all_of(name.begin() + 3, name.end(), isDigit))
        return given;
    if (upperCase(name.substr(0, 3)) != "COM")
        return given;
    return kDevicePrefix + "COM" + name.substr(3);
}

bool sameSerialDevice(const std::string& one, const std::string& other)
{
    return upperCase(plainName(one)) == upperCase(plainName(other));
}

}  // namespace korvel::system
