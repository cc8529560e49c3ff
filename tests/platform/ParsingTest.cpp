#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "PtyPair.h"
#include "platform/PortDescription.h"
#include "platform/PortMap.h"
#include "settings/SettingsFile.h"

using korvel::platform::PortMap;
using korvel::platform::readPortsFile;
using korvel::settings::readSettingsFile;
using namespace std::string_view_literals;

namespace {

TEST(PortMap, AssignedDevicesOverrideTheUsualOnes)
{
    const PortMap map = PortMap::fromText("\xEF\xBB\xBF"
                                          "COM2=/dev/after-byte-order-mark\n"
                                          "# ports of this bench\n"
                                          "COM3=/dev/ttyUSB7\n"
                                          "  com4 =\t/dev/serial/by-id/usb-FTDI  \r\n"
                                          "COM5 = /dev/first\rCOM5=/dev/second\r"
                                          "#COM6=/dev/commented\n"
                                          "COM 7=/dev/blank-inside-name\n"
                                          "COM8=\n"
                                          "COM17=/dev/out-of-range\n"
                                          "COM0=/dev/out-of-range\n"
                                          "garbage\n"
                                          "COM10=/dev/nul\0inside\n"
                                          "COM9=/dev/last-line-without-end"sv);

    const std::pair<int, const char*> expected[] = {
        {1, "/dev/ttyS0"},
        {2, "/dev/after-byte-order-mark"},
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
    const auto missing = readPortsFile("/nonexistent/AVRBootloaderKorvel.ports");
    EXPECT_EQ(missing.ports.device(10), "/dev/ttyUSB5");
    EXPECT_TRUE(missing.reason.isEmpty());
}

// Reading a FIFO without a writer, or a terminal that sends nothing, would
// wait for ever (then ctest's timeout fails the test): both readers refuse
// such a file at once.
TEST(ConfigFiles, ThatAreNotRegularFilesAreRefusedWithoutWaiting)
{
    const QTemporaryDir dir;
    const PtyPair terminal(false);
    const QString fifo = dir.filePath("fifo");
    const QString link = dir.filePath("link-to-terminal");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QString::fromStdString(terminal.slavePath()), link));
    for (const QString& path : {fifo, link}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(readSettingsFile(path, 16).outcome, korvel::settings::StoredSettings::Outcome::Unusable);
        const auto ports = readPortsFile(path);
        EXPECT_EQ(ports.ports.device(5), "/dev/ttyUSB0");
        EXPECT_EQ(ports.reason, "AVRBootloaderKorvel: the ports file " + path +
                                    " was ignored: it is not a regular file. The usual devices are used.");
    }
}

TEST(PortDescription, NamesTheDeviceItsTargetAndWhatIsKnown)
{
    using korvel::platform::portDescription;
    EXPECT_EQ(portDescription("/dev/pts/4", "/dev/pts/4", {}), QStringLiteral("/dev/pts/4"));
    EXPECT_EQ(portDescription("/dev/ttyUSB0", "/dev/ttyUSB0", {"FT232R USB UART", "FTDI", "A50285BI"}),
              QStringLiteral("/dev/ttyUSB0 - FT232R USB UART, FTDI, serial number A50285BI"));
    EXPECT_EQ(portDescription("/dev/serial/by-id/usb-Arduino-if00", "/dev/ttyACM0",
                              {"", "Arduino", "", "2341", "0043", "/dev/serial/by-id/usb-Arduino-if00"}),
              QStringLiteral("/dev/serial/by-id/usb-Arduino-if00 (/dev/ttyACM0) - Arduino, USB 2341:0043"));
    EXPECT_EQ(
        portDescription("/dev/ttyUSB1", {}, {"", "", "A5", "0403", "6001", "/dev/serial/by-id/usb-FTDI_A5"}),
        QStringLiteral("/dev/ttyUSB1 - USB 0403:6001, serial number A5; stable name /dev/serial/by-id/usb-FTDI_A5"));
    EXPECT_TRUE(korvel::platform::describePort(PortMap(), 17).isEmpty());
}

// A device's stable name is the link to it in the folder of stable names;
// a link to another device is not.
TEST(PortDescription, StableNameIsTheLinkToTheDevice)
{
    const PtyPair mine(false);
    const PtyPair other(false);
    QTemporaryDir links;
    ASSERT_TRUE(QFile::link(QString::fromStdString(other.slavePath()), links.filePath("usb-A-if00-port0")));
    ASSERT_TRUE(QFile::link(QString::fromStdString(mine.slavePath()), links.filePath("usb-B-if00-port0")));
    using korvel::platform::stableName;
    EXPECT_EQ(stableName(QString::fromStdString(mine.slavePath()), links.path()), links.filePath("usb-B-if00-port0"));
    EXPECT_TRUE(stableName(QString::fromStdString(mine.slavePath()), links.filePath("none")).isEmpty());
}

}  // namespace
