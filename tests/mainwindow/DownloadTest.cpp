#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "MainWindowRig.h"
#include "PtyTarget.h"

namespace {

const QString kSynchronising = QStringLiteral("Please synchronize devices, power on or reset target...");

class Download : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(loadAndShow(rig)); }

    QLabel& label(const char* name) { return rig.control<QLabel>(name); }

    // Closes the window from the event loop once the status row shows a text
    // starting with `status`.
    void closeWhenStatusReads(const QString& status)
    {
        QObject::connect(&closer_, &QTimer::timeout, [this, status] {
            if (label("LblExec").text().startsWith(status)) {
                closer_.stop();
                rig.window.close();
            }
        });
        closer_.start(5);
    }

    PtyTarget target;
    MainWindowRig rig{{{3, target.devicePath()}}, false};

private:
    QTimer closer_;
};

struct ValidationCase {
    const char* name;
    bool flash;
    bool eeprom;
    const char* flashPath;
    const char* eepromPath;
    const char* message;
};

const char* const kSelectFlash = "Select FLASH file to download.";
const char* const kSelectEeprom = "Select EEPROM file to download.";

const ValidationCase kValidation[] = {
    {"FLASH without a file", true, false, "", "", kSelectFlash},
    {"FLASH path of one character", true, false, "x", "", kSelectFlash},
    {"both, FLASH path too short", true, true, "x", "data.hex", kSelectFlash},
    {"both, EEPROM path missing", true, true, "ab", "", kSelectEeprom},
    {"EEPROM only, one character", false, true, "", "e", kSelectEeprom},
};

TEST(DownloadValidation, AMissingFileIsReportedAndNothingStarts)
{
    for (const ValidationCase& check : kValidation) {
        SCOPED_TRACE(check.name);
        PtyTarget target;
        MainWindowRig rig({{3, target.devicePath()}}, false);
        ASSERT_TRUE(loadAndShow(rig));
        rig.control<QCheckBox>("FLASHCheck").setChecked(check.flash);
        rig.control<QCheckBox>("EEPCheck").setChecked(check.eeprom);
        rig.control<QLineEdit>("TxtBoxFLASHFile").setText(QString::fromLatin1(check.flashPath));
        rig.control<QLineEdit>("TxtBoxEEPFile").setText(QString::fromLatin1(check.eepromPath));

        MessageBoxAnswerer answerer;
        rig.window.DownloadFiles();

        ASSERT_EQ(answerer.seen().size(), 1u);
        EXPECT_EQ(answerer.seen()[0].text, QString::fromLatin1(check.message));
        EXPECT_EQ(answerer.seen()[0].title, rig.window.caption());
        EXPECT_EQ(answerer.seen()[0].icon, QMessageBox::NoIcon);
        EXPECT_TRUE(rig.control<QPushButton>("CmdBtnDwl").isVisible());
        EXPECT_EQ(rig.control<QLabel>("LblExec").text(), QStringLiteral("Idle"));
        EXPECT_EQ(rig.window.focusWidget(), &rig.control<QPushButton>("CmdBtnFLASH"));
        QCoreApplication::processEvents();
        EXPECT_TRUE(target.received().empty());
    }
}

TEST_F(Download, ACancelLeftOverFromAnEarlierDownloadDoesNotStopTheNext)
{
    rig.window.SetBusyState();
    rig.control<QPushButton>("CmdBtnCanc").click();
    rig.window.SetIdleState();
    ASSERT_TRUE(rig.window.isCancelRequested());

    target.answerHandshake("?G1.3");
    rig.control<QCheckBox>("FLASHCheck").setChecked(false);
    MessageBoxAnswerer answerer;
    rig.window.DownloadFiles();

    // The whole handshake ran: nothing chosen is only found out after it.
    ASSERT_EQ(answerer.seen().size(), 1u);
    EXPECT_EQ(answerer.seen()[0].text, QStringLiteral("Check box to download code."));
    EXPECT_EQ(answerer.seen()[0].title, rig.window.caption());
    EXPECT_EQ(label("LblFwVer").text(), QStringLiteral("Target Bootloader Ver. 1.3"));
    EXPECT_TRUE(label("LblFwVer").isVisible());
    EXPECT_EQ(label("LblExec").text(), QStringLiteral("Idle"));
    EXPECT_FALSE(rig.port.isOpen());
}

TEST_F(Download, ClosingTheWindowStopsTheDownloadFirst)
{
    rig.control<QCheckBox>("FLASHCheck").setChecked(false);
    MessageBoxAnswerer answerer;
    closeWhenStatusReads(kSynchronising);
    rig.window.DownloadFiles();

    EXPECT_NE(target.received().find('\x55'), std::string::npos);
    EXPECT_TRUE(answerer.seen().empty());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_TRUE(rig.window.isHidden());
}

TEST_F(Download, ClosingTheWindowDuringTheTransferAsksNoQuestion)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("app.hex"));
    QFile hex(path);
    ASSERT_TRUE(hex.open(QIODevice::WriteOnly));
    hex.write(":020000040000FA\r\n:10000000112233445566778899AABBCCDDEEFF0078\r\n:00000001FF\r\n");
    hex.close();
    rig.control<QLineEdit>("TxtBoxFLASHFile").setText(path);
    // From 1.28 on an unanswered line ends in a question; Yes would go on.
    target.answerHandshake("?G1.28");
    MessageBoxAnswerer answerer(QMessageBox::Yes);
    closeWhenStatusReads(QStringLiteral("Sending FLASH file"));
    rig.window.DownloadFiles();

    EXPECT_NE(target.received().find(":020000040000FA"), std::string::npos);
    EXPECT_TRUE(answerer.seen().empty());
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_TRUE(rig.window.isHidden());
}

}  // namespace
