// Downloads that meet a troubled line: hung up part-way, output held by an
// XOFF that no XON follows.
#include <QRegularExpression>
#include <gtest/gtest.h>

#include "E2eFiles.h"
#include "TargetSim.h"
#include "WindowRig.h"

namespace {

const int kDownloadLimitMs = 30000;
const int kExitLimitMs = 5000;

TEST(EndToEndLineTrouble, TheLineClosingInTheMiddleOfAFileIsADownloadError)
{
    E2eFiles files;
    const QString flashHex = files.makeHex(QStringLiteral("flash"), 256, 5, 16, false);
    ASSERT_FALSE(flashHex.isEmpty());
    TargetSim target({QStringLiteral("--close-after"), QStringLiteral("3")});
    ASSERT_FALSE(target.devicePath().empty());
    WindowRig rig(target.devicePath(), files.settingsPath());
    ASSERT_TRUE(rig.loadAndShow());

    rig.choose(flashHex, QString());
    MessageBoxAnswerer answerer(QMessageBox::Yes);
    ASSERT_TRUE(rig.clickDownload(kDownloadLimitMs));

    ASSERT_EQ(answerer.seen().size(), 1u) << answerer.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Error while downloading the firmware file: [1-9][0-9]*\\.$"))
                    .match(answerer.seen()[0].text)
                    .hasMatch())
        << answerer.seen()[0].text.toStdString();
    EXPECT_EQ(answerer.seen()[0].icon, QMessageBox::Warning);
    EXPECT_TRUE(rig.isIdle());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(target.waitForExit(kExitLimitMs), 0);
}

struct HeldOutputCase {
    const char* name;
    const char* version;
    const char* outcome;  // a pattern for the one message the run ends with
};

const HeldOutputCase kHeldOutputCases[] = {
    // From 1.28 on an unanswered line is sent three times, then questioned; No ends it.
    {"ResendingBootloader", "1.28",
     "^Did not receive a response after sending line [0-9]+\\. Continue with download\\?$"},
    // Before 1.28 unanswered lines are passed over; the file's end brings no answer either.
    {"OlderBootloader", "1.0",
     "^Error while downloading file: No response from target Bootloader at end of file\\.$"},
};

class HeldOutput : public ::testing::TestWithParam<HeldOutputCase> {};

TEST_P(HeldOutput, AnXoffWithoutXonStillEndsTheDownload)
{
    E2eFiles files;
    const QString flashHex = files.makeHex(QStringLiteral("flash"), 96, 9, 16, false);
    ASSERT_FALSE(flashHex.isEmpty());
    TargetSim target({QStringLiteral("--xoff-after"), QStringLiteral("3"), QStringLiteral("--version"),
                      QString::fromLatin1(GetParam().version)});
    ASSERT_FALSE(target.devicePath().empty());
    WindowRig rig(target.devicePath(), files.settingsPath());
    ASSERT_TRUE(rig.loadAndShow());

    rig.choose(flashHex, QString());
    MessageBoxAnswerer answerer(QMessageBox::No);
    ASSERT_TRUE(rig.clickDownload(kDownloadLimitMs));

    ASSERT_EQ(answerer.seen().size(), 1u) << answerer.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(QRegularExpression(QString::fromLatin1(GetParam().outcome)).match(answerer.seen()[0].text).hasMatch())
        << answerer.seen()[0].text.toStdString();
    EXPECT_TRUE(rig.isIdle());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_TRUE(rig.targetDeviceIsFree());
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, HeldOutput, ::testing::ValuesIn(kHeldOutputCases),
                         [](const ::testing::TestParamInfo<HeldOutputCase>& info) { return info.param.name; });

}  // namespace
