// Names and texts of Windows.
#include "system/SystemConventions.h"

#include <algorithm>
#include <cctype>

namespace korvel::system {

std::string serialDeviceName(const std::string& given)
{
    const std::string devicePrefix = "\\\\.\\";
    std::string name = given.compare(0, devicePrefix.size(), devicePrefix) == 0 ? given.substr(4) : given;
    const auto isDigit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    if (name.size() < 4 || !std::all_of(name.begin() + 3, name.end(), isDigit))
        return given;
    std::string prefix = name.substr(0, 3);
    std::transform(prefix.begin(), prefix.end(), prefix.begin(),
                   [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
    if (prefix != "COM")
        return given;
    return devicePrefix + "COM" + name.substr(3);
}

}  // namespace korvel::system
