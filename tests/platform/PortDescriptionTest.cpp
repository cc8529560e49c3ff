#include <gtest/gtest.h>

#include "platform/PortDescription.h"

using korvel::platform::DeviceFacts;
using korvel::platform::describePort;
using korvel::platform::portDescription;

namespace {

struct DescriptionCase {
    const char* device;
    const char* realDevice;
    DeviceFacts facts;
    const char* expected;
};

TEST(PortDescription, NamesTheDeviceItsTargetAndWhatIsKnown)
{
    const DescriptionCase cases[] = {
        {"/dev/pts/4", "/dev/pts/4", {}, "/dev/pts/4"},
        {"/dev/ttyUSB0", "/dev/ttyUSB0", {"FT232R USB UART", "FTDI", "A50285BI"},
         "/dev/ttyUSB0 - FT232R USB UART, FTDI, serial number A50285BI"},
        {"/dev/serial/by-id/usb-Arduino-if00", "/dev/ttyACM0", {"", "Arduino (www.arduino.cc)", ""},
         "/dev/serial/by-id/usb-Arduino-if00 (/dev/ttyACM0) - Arduino (www.arduino.cc)"},
        {"/dev/ttyS9", "", {"", "", "0042"}, "/dev/ttyS9 - serial number 0042"},
    };
    for (const DescriptionCase& c : cases) {
        SCOPED_TRACE(c.device);
        EXPECT_EQ(portDescription(c.device, c.realDevice, c.facts), QString::fromUtf8(c.expected));
    }
}

TEST(PortDescription, ANumberWithoutAPortHasNoDescription)
{
    const auto ports = korvel::platform::PortMap::fromText("COM2=/dev/korvel-missing\n");
    EXPECT_TRUE(describePort(ports, 0).isEmpty());
    EXPECT_TRUE(describePort(ports, 17).isEmpty());
    EXPECT_EQ(describePort(ports, 2), QStringLiteral("/dev/korvel-missing"));
}

}  // namespace
