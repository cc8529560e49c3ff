#include "system/LocalTime.h"

#include <ctime>

namespace korvel::system {

std::string localTimeText()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[40];
    return std::string(text, std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S %z", &local));
}

}  // namespace korvel::system
