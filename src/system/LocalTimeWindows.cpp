#include "system/LocalTime.h"

#include <cstdio>
#include <windows.h>

namespace korvel::system {

std::string localTimeText()
{
    SYSTEMTIME local{};
    ::GetLocalTime(&local);
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", local.wYear, local.wMonth,
                                     local.wDay, local.wHour, local.wMinute, local.wSecond);
    return std::string(text, length > 0 ? std::size_t(length) : 0);
}

}  // namespace korvel::system
