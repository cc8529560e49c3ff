// The download front end of the window, against a pseudo-terminal that plays
// the target's handshake.
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include "BoxAnswerer.h"
#include "Pty.h"
#include "Tools.h"
#include "WindowRig.h"
#include "link/Protocol.h"

namespace {

class Download : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(rig.loadAndShow()); }

    QLabel& label(const char* name) { return rig.control<QLabel>(name); }

    Pty target;
    WindowRig rig{{{3, target.slavePath()}}};
};

TEST_F(Download, AMissingFileIsReportedAndNothingStarts)
{
    rig.choose(QStringLiteral("x"), QStringLiteral("e"));
    BoxAnswerer answerer;
    rig.window.DownloadFiles();
    ASSERT_EQ(answerer.texts(), QStringList{QStringLiteral("Select FLASH file to download.")});
    EXPECT_EQ(answerer.seen()[0].title, rig.window.caption());
    EXPECT_TRUE(rig.isIdle());
    EXPECT_EQ(rig.window.focusWidget(), &rig.control<QPushButton>("CmdBtnFLASH"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(target.received().empty());
}

TEST_F(Download, ACancelLeftOverFromAnEarlierDownloadDoesNotStopTheNext)
{
    rig.window.SetBusyState();
    rig.control<QPushButton>("CmdBtnCanc").click();
    rig.window.SetIdleState();
    ASSERT_TRUE(rig.window.isCancelRequested());

    target.answerHandshake("?G1.3");
    rig.control<QCheckBox>("FLASHCheck").setChecked(false);
    BoxAnswerer answerer;
    rig.window.DownloadFiles();

    // The whole handshake ran: nothing chosen is only found out after it.
    EXPECT_EQ(answerer.texts(), QStringList{QStringLiteral("Check box to download code.")});
    EXPECT_EQ(label("LblFwVer").text(), QStringLiteral("Target Bootloader Ver. 1.3"));
    EXPECT_TRUE(label("LblFwVer").isVisible());
    EXPECT_TRUE(rig.isIdle());
    EXPECT_EQ(rig.window.focusWidget(), &rig.control<QPushButton>("CmdBtnFLASH"));
    EXPECT_FALSE(rig.port.isOpen());
}

// Closing the window while synchronising or while a line waits for its answer
// (from 1.28 on that would end in a question) stops the download at once,
// without a message, and closes the port.
TEST(ClosingTheWindow, StopsTheDownloadFirst)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("app.hex"));
    ASSERT_TRUE(writeFile(path, ":020000040000FA\r\n:10000000112233445566778899AABBCCDDEEFF00F8\r\n:00000001FF\r\n"));
    for (const QString status : {"Please synchronize devices, power on or reset target...", "Sending FLASH file"}) {
        SCOPED_TRACE(status.toStdString());
        const bool transfer = status.startsWith(QStringLiteral("Sending"));
        Pty line;
        WindowRig rig({{3, line.slavePath()}});
        ASSERT_TRUE(rig.loadAndShow());
        rig.choose(transfer ? path : QString(), QString());
        if (transfer)
            line.answerHandshake("?G1.28");
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (rig.control<QLabel>("LblExec").text().startsWith(status))
                rig.window.close();
        });
        closer.start(5);
        BoxAnswerer answerer(QMessageBox::Yes);
        rig.window.DownloadFiles();

        const std::string sent = transfer ? ":020000040000FA" : std::string(1, korvel::link::protocol::kSyncByte);
        EXPECT_TRUE(runEventsUntil([&] { return line.received().find(sent) != std::string::npos; }));
        EXPECT_TRUE(answerer.seen().empty());
        EXPECT_FALSE(rig.port.isOpen());
        EXPECT_TRUE(rig.window.isHidden());
    }
}

}  // namespace
