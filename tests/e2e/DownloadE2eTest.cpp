// Whole downloads from the main window through the serial port layer to the
// target simulator on a pseudo-terminal.
#include <QComboBox>
#include <QLabel>
#include <gtest/gtest.h>

#include "E2eFiles.h"
#include "TargetSim.h"
#include "WindowRig.h"

namespace {

const int kDownloadLimitMs = 20000;
const int kExitLimitMs = 5000;

struct SuccessCase {
    const char* name;
    bool flash;
    bool eeprom;
    bool lineFeedOnly;
    bool noise;
    const char* message;
};

const SuccessCase kSuccessCases[] = {
    {"FlashOnlyCrLf", true, false, false, false, "FLASH file successfully downloaded."},
    {"EepromOnlyLfOnly", false, true, true, false, "EEPROM file successfully downloaded."},
    {"BothCrLf", true, true, false, false, "FLASH & EEPROM files successfully downloaded."},
    {"BothLfOnlyWithNoise", true, true, true, true, "FLASH & EEPROM files successfully downloaded."},
};

class SuccessfulDownload : public ::testing::TestWithParam<SuccessCase> {};

TEST_P(SuccessfulDownload, ImagesEqualTheFilesAndTheWindowEndsIdleWithThePortClosed)
{
    const SuccessCase& run = GetParam();
    E2eFiles files;
    const QString flashHex = run.flash ? files.makeHex(QStringLiteral("flash"), 512, 7, 16, run.lineFeedOnly) : "";
    const QString eepromHex = run.eeprom ? files.makeHex(QStringLiteral("eeprom"), 64, 11, 8, run.lineFeedOnly) : "";
    ASSERT_EQ(flashHex.isEmpty(), !run.flash);
    ASSERT_EQ(eepromHex.isEmpty(), !run.eeprom);

    QStringList options{QStringLiteral("--once"), QStringLiteral("--flash-out"), files.path("flash.img"),
                        QStringLiteral("--eeprom-out"), files.path("eeprom.img")};
    if (run.noise)
        options << QStringLiteral("--noise");
    TargetSim target(options);
    ASSERT_FALSE(target.devicePath().empty());

    WindowRig rig(target.devicePath(), files.settingsPath());
    ASSERT_TRUE(rig.loadAndShow());
    // Only the simulator's terminal opens in the probe.
    auto& ports = rig.control<QComboBox>("CmbBoxCom");
    ASSERT_EQ(ports.count(), 1);
    EXPECT_EQ(ports.currentData().toInt(), WindowRig::kTargetPort);

    rig.choose(flashHex, eepromHex);
    MessageBoxAnswerer answerer;
    ASSERT_TRUE(rig.clickDownload(kDownloadLimitMs));

    ASSERT_EQ(answerer.texts(), QStringList{QString::fromLatin1(run.message)});
    EXPECT_EQ(answerer.seen()[0].title, rig.window.caption());
    EXPECT_EQ(answerer.seen()[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(rig.control<QLabel>("LblFwVer").text(), QStringLiteral("Target Bootloader Ver. 1.28"));
    EXPECT_TRUE(rig.isIdle());
    EXPECT_FALSE(rig.port.isOpen());

    // The simulator ends once the port is closed; by then both images are written.
    EXPECT_EQ(target.waitForExit(kExitLimitMs), 0) << target.errorOutput().toStdString();
    EXPECT_EQ(files.contents("flash.img"), run.flash ? files.contents("flash.bin") : QByteArray());
    EXPECT_EQ(files.contents("eeprom.img"), run.eeprom ? files.contents("eeprom.bin") : QByteArray());
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, SuccessfulDownload, ::testing::ValuesIn(kSuccessCases),
                         [](const ::testing::TestParamInfo<SuccessCase>& info) { return info.param.name; });

TEST(EndToEndQuestion, ChecksumErrorsAnsweredYesThenTheDownloadSucceeds)
{
    E2eFiles files;
    // Line 1 sets the address, line 2 carries bytes 0 to 15.
    const QString flashHex = files.makeHex(QStringLiteral("flash"), 64, 3, 16, false);
    ASSERT_FALSE(flashHex.isEmpty());
    TargetSim target({QStringLiteral("--once"), QStringLiteral("--flash-out"), files.path("flash.img"),
                      QStringLiteral("--checksum-errors"), QStringLiteral("3"), QStringLiteral("--error-line"),
                      QStringLiteral("2")});
    ASSERT_FALSE(target.devicePath().empty());
    WindowRig rig(target.devicePath(), files.settingsPath());
    ASSERT_TRUE(rig.loadAndShow());

    rig.choose(flashHex, QString());
    MessageBoxAnswerer answerer(QMessageBox::Yes);
    ASSERT_TRUE(rig.clickDownload(kDownloadLimitMs));

    EXPECT_EQ(answerer.texts(), (QStringList{QStringLiteral("Checksum error at line 2. Continue with download?"),
                                             QStringLiteral("FLASH file successfully downloaded.")}));
    EXPECT_TRUE(rig.isIdle());
    EXPECT_FALSE(rig.port.isOpen());

    ASSERT_EQ(target.waitForExit(kExitLimitMs), 0);
    // The line went out three times and was refused each time.
    EXPECT_TRUE(target.errorOutput().contains(QStringLiteral("2 resends seen, 3 refused")))
        << target.errorOutput().toStdString();
    QByteArray expected = files.contents("flash.bin");
    expected.replace(0, 16, QByteArray(16, '\xFF'));
    EXPECT_EQ(files.contents("flash.img"), expected);
}

}  // namespace
