// Whole downloads from the main window through the serial port layer to the
// target simulator on a pseudo-terminal.
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "BoxAnswerer.h"
#include "Tools.h"
#include "WindowRig.h"

namespace {

const int kExitLimitMs = 5000;

struct SuccessCase {
    const char* name;
    bool flash;
    bool eeprom;
    QStringList hexOptions;
    QStringList simOptions;
    const char* message;
};

class SuccessfulDownload : public ::testing::TestWithParam<SuccessCase> {};

TEST_P(SuccessfulDownload, ImagesEqualTheFilesAndTheWindowEndsIdleWithThePortClosed)
{
    const SuccessCase& run = GetParam();
    QTemporaryDir dir;
    const QString folder = dir.path();
    const QString flashHex = run.flash ? makeHex(folder, "flash", 512, 7, 16, run.hexOptions) : QString();
    const QString eepromHex = run.eeprom ? makeHex(folder, "eeprom", 64, 11, 8, run.hexOptions) : QString();
    ASSERT_EQ(flashHex.isEmpty(), !run.flash);
    ASSERT_EQ(eepromHex.isEmpty(), !run.eeprom);

    TargetSim target(
        QStringList{"--once", "--flash-out", folder + "/flash.img", "--eeprom-out", folder + "/eeprom.img"} +
        run.simOptions);
    ASSERT_FALSE(target.devicePath().isEmpty());
    WindowRig rig({{5, target.device()}});
    ASSERT_TRUE(rig.loadAndShow());
    rig.choose(flashHex, eepromHex);
    BoxAnswerer answerer;
    // Returns once the download is over.
    rig.control<QPushButton>("CmdBtnDwl").click();

    EXPECT_EQ(answerer.texts(), QStringList{QString::fromLatin1(run.message)});
    EXPECT_TRUE(rig.isIdle());
    EXPECT_FALSE(rig.port.isOpen());
    // The simulator ends once the port is closed; by then both images are written.
    EXPECT_EQ(target.waitForExit(kExitLimitMs), 0) << target.errorOutput().toStdString();
    EXPECT_EQ(fileContents(folder + "/flash.img"), run.flash ? fileContents(folder + "/flash.bin") : QByteArray());
    EXPECT_EQ(fileContents(folder + "/eeprom.img"), run.eeprom ? fileContents(folder + "/eeprom.bin") : QByteArray());
}

INSTANTIATE_TEST_SUITE_P(
    EndToEnd, SuccessfulDownload,
    ::testing::Values(
        SuccessCase{"FlashOnly", true, false, {}, {}, "FLASH file successfully downloaded."},
        SuccessCase{"EepromOnlyLfOnly", false, true, {"--lf"}, {}, "EEPROM file successfully downloaded."},
        SuccessCase{"BothWithNoise", true, true, {}, {"--noise"}, "FLASH & EEPROM files successfully downloaded."}),
    [](const ::testing::TestParamInfo<SuccessCase>& info) { return info.param.name; });

}  // namespace
