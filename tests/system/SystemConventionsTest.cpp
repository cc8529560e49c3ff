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

// The names of one port in the forms the user and the system give them: on
// Windows one port whatever the prefix and the case, elsewhere only the same
// name.
TEST(SystemConventions, SameSerialDevice)
{
    const struct {
        const char* one;
        const char* other;
        bool sameOnWindows;
    } rows[] = {
        {"COM3", "COM3", true},
        {"\\\\.\\COM3", "COM3", true},
        {"com3", "COM3", true},
        {"\\\\.\\com12", "COM12", true},
        {"COM3", "COM30", false},
        {"COM3", "COM4", false},
        {"/dev/ttyUSB0", "/dev/ttyUSB0", true},
    };
    for (const auto& row : rows) {
        const bool equal = std::string(row.one) == row.other;
        EXPECT_EQ(sameSerialDevice(row.one, row.other), kWindows ? row.sameOnWindows : equal)
            << row.one << " " << row.other;
    }
}

}  // namespace
}  // namespace korvel::system
