#include <gtest/gtest.h>

#include <string>

#include "system/SystemConventions.h"

namespace korvel::system {
namespace {

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

// A port given by its name: on Windows "COMn" in any case takes the device
// form that ports from COM10 up need; every other name stays as given.
TEST(SystemConventions, SerialDeviceNames)
{
    const bool windows = kWindows;
    const std::pair<std::string, std::string> windowsRows[] = {
        {"com12", "\\\\.\\COM12"},
        {"COM3", "\\\\.\\COM3"},
        {"Com10", "\\\\.\\COM10"},
        {"\\\\.\\com10", "\\\\.\\COM10"},
        {"COMX", "COMX"},
        {"COM", "COM"},
        {"com1a", "com1a"},
        {"LPT1", "LPT1"},
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},
    };
    for (const auto& [given, windowsName] : windowsRows)
        EXPECT_EQ(serialDeviceName(given), windows ? windowsName : given) << given;
}

}  // namespace
}  // namespace korvel::system
