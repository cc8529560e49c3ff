// The download front end of the window, against the target simulator.
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include "BoxAnswerer.h"
#include "Tools.h"
#include "WindowRig.h"

namespace {

// A FLASH name too short ends the download before the port opens; nothing
// ticked, after the handshake (which shows the version). Either way the
// message comes under the window's caption, the window is idle with the port
// closed, and the FLASH browse button has the focus.
TEST(Download, EndingWithoutAFileLeavesTheFocusOnBrowse)
{
    for (const QString flashPath : {"x", ""}) {
        SCOPED_TRACE(flashPath.toStdString());
        TargetSim target({QStringLiteral("--version"), QStringLiteral("1.3")});
        WindowRig rig({{3, target.device()}});
        ASSERT_TRUE(rig.loadAndShow());
        rig.choose(flashPath, QString());
        BoxAnswerer answerer;
        rig.window.DownloadFiles();

        ASSERT_EQ(answerer.texts(),
                  QStringList{flashPath.isEmpty() ? "Check box to download code." : "Select FLASH file to download."});
        EXPECT_EQ(answerer.seen()[0].title, rig.window.caption());
        EXPECT_EQ(rig.control<QLabel>("LblFwVer").text(),
                  flashPath.isEmpty() ? "Target Bootloader Ver. 1.3" : "Target Bootloader Ver.");
        EXPECT_TRUE(rig.isIdle());
        EXPECT_EQ(rig.window.focusWidget(), &rig.control<QPushButton>("CmdBtnFLASH"));
        EXPECT_FALSE(rig.port.isOpen());
    }
}

// Closing the window while synchronising, or while a line waits for its answer
// (from 1.28 on that would end in a question), stops the download at once,
// without a message, and closes the port.
TEST(ClosingTheWindow, StopsTheDownloadFirst)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("app.hex"));
    ASSERT_TRUE(writeFile(path, ":020000040000FA\r\n:00000001FF\r\n"));
    for (const QString status : {"Please synchronize devices, power on or reset target...", "Sending FLASH file"}) {
        SCOPED_TRACE(status.toStdString());
        const bool transfer = status.startsWith(QStringLiteral("Sending"));
        TargetSim target(transfer ? QStringList{"--silent-line", "1"} : QStringList{"--silent"});
        WindowRig rig({{3, target.device()}});
        ASSERT_TRUE(rig.loadAndShow());
        rig.choose(transfer ? path : QString(), QString());
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (rig.control<QLabel>("LblExec").text().startsWith(status))
                rig.window.close();
        });
        closer.start(5);
        BoxAnswerer answerer(QMessageBox::Yes);
        rig.window.DownloadFiles();

        EXPECT_TRUE(answerer.seen().empty());
        EXPECT_FALSE(rig.port.isOpen());
        EXPECT_TRUE(rig.window.isHidden());
    }
}

}  // namespace
