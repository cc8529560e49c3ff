#include "system/LocalTime.h"

#include <cstdio>
#include <cstdlib>
#include <windows.h>

namespace korvel::system {

std::string localTimeText()
{
    SYSTEMTIME local{};
    ::GetLocalTime(&local);
    // The offset from UTC in minutes, daylight saving included: the bias is
    // what UTC is ahead of local time.
    TIME_ZONE_INFORMATION zone{};
    const DWORD which = ::GetTimeZoneInformation(&zone);
    long bias = zone.Bias + (which == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : zone.StandardBias);
    const char sign = bias > 0 ? '-' : '+';
    bias = std::labs(bias);
    char text[40];
    const int length =
        std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u %c%02ld%02ld", local.wYear, local.wMonth,
                      local.wDay, local.wHour, local.wMinute, local.wSecond, sign, bias / 60, bias % 60);
    return std::string(text, length > 0 ? std::size_t(length) : 0);
}

}  // namespace korvel::system
