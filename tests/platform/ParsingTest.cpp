#include <gtest/gtest.h>

#include "platform/PortDescription.h"
#include "platform/PortMap.h"

using korvel::platform::PortMap;

namespace {

TEST(PortMap, AssignedDevicesOverrideTheUsualOnes)
{
    const PortMap map = PortMap::fromText("# ports of this bench\n"
                                          "COM3=/dev/ttyUSB7\n"
                                          "  com4 =\t/dev/serial/by-id/usb-FTDI  \r\n"
                                          "COM5 = /dev/first\rCOM5=/dev/second\r"
                                          "#COM6=/dev/commented\n"
                                          "COM 7=/dev/blank-inside-name\n"
                                          "COM8=\n"
                                          "COM17=/dev/out-of-range\n"
                                          "COM0=/dev/out-of-range\n"
                                          "garbage\n"
                                          "COM9=/dev/last-line-without-end");

    const std::pair<int, const char*> expected[] = {
        {1, "/dev/ttyS0"},
        {3, "/dev/ttyUSB7"},
        {4, "/dev/serial/by-id/usb-FTDI"},
        {5, "/dev/second"},
        {6, "/dev/ttyUSB1"},
        {7, "/dev/ttyUSB2"},
        {8, "/dev/ttyUSB3"},
        {9, "/dev/last-line-without-end"},
        {10, "/dev/ttyUSB5"},
        {11, "/dev/ttyACM0"},
        {16, "/dev/ttyACM5"},
    };
    for (const auto& [number, device] : expected)
        EXPECT_EQ(map.device(number), device) << "COM" << number;
    for (const int number : {0, 17, -1})
        EXPECT_EQ(map.device(number), std::nullopt) << "COM" << number;
    EXPECT_EQ(PortMap::fromFile("/nonexistent/AVRBootloaderKorvel.ports").device(10), "/dev/ttyUSB5");
}

TEST(PortDescription, NamesTheDeviceItsTargetAndWhatIsKnown)
{
    using korvel::platform::portDescription;
    EXPECT_EQ(portDescription("/dev/pts/4", "/dev/pts/4", {}), QStringLiteral("/dev/pts/4"));
    EXPECT_EQ(portDescription("/dev/ttyUSB0", "/dev/ttyUSB0", {"FT232R USB UART", "FTDI", "A50285BI"}),
              QStringLiteral("/dev/ttyUSB0 - FT232R USB UART, FTDI, serial number A50285BI"));
    EXPECT_EQ(portDescription("/dev/serial/by-id/usb-Arduino-if00", "/dev/ttyACM0", {"", "Arduino", ""}),
              QStringLiteral("/dev/serial/by-id/usb-Arduino-if00 (/dev/ttyACM0) - Arduino"));
    EXPECT_TRUE(korvel::platform::describePort(PortMap(), 17).isEmpty());
}

}  // namespace
