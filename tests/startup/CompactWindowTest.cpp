// The log of a command-line run on the compact main window.
#include "startup/LogFrontEnd.h"
#include "startup/LogWindow.h"
#include "startup/TerminalReport.h"

#include "BoxAnswerer.h"
#include "StartupRig.h"
#include "link/DiskHexFiles.h"
#include "mainwindow/FrmMain.h"
#include "platform/DeviceSerialPort.h"

#include <QFontMetrics>
#include <QImage>
#include <QLabel>

#include <gtest/gtest.h>

using namespace korvel;
using namespace korvel::startup;

namespace {

const std::string kEepromName = "/data/eeprom-image-of-the-board.hex";
const std::string kFlashName = "/data/firmware/main-controller-release-build-final.hex";

struct CompactWindow {
    CompactWindow()
        : port(platform::PortMap::fromFile(dir.filePath(QStringLiteral("AVRBootloaderKorvel.ports"))))
        , window({true, port, files, dir.settingsPath()})
        , report(terminal.streams(), false)
        , logWindow(window)
        , frontEnd(report, &logWindow)
    {
        window.Form_Load();
    }

    // The window's log as the download begins: shown, then the handshake lines.
    void handshake()
    {
        frontEnd.downloadStarting();
        frontEnd.portOpened();
        frontEnd.versionRead("1.28");
    }

    void sendFile(link::FileKindCode kind, const std::string& name, int lines)
    {
        frontEnd.openingFile(kind, name);
        frontEnd.fileOpened(kind, name);
        frontEnd.sendingFile(kind);
        frontEnd.showLinesLeft(lines);
    }

    QLabel& log() { return window.commandLineLog(); }
    QLabel& count() { return window.lineSentLabel(); }

    const ProgramDir dir;
    MemoryTerminal terminal;
    platform::DeviceSerialPort port;
    link::DiskHexFiles files;
    FrmMain window;
    TerminalReport report;
    LogWindow logWindow;
    LogFrontEnd frontEnd;
};

// The right end of the text drawn in the middle rows of the log line that the
// count label covers, in log coordinates; -1 when those rows are empty. The
// middle rows hold no ascenders or descenders of the neighbouring lines.
int textEndUnderCount(CompactWindow& rig)
{
    const QImage image = rig.log().grab().toImage();
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    const QRect countArea = rig.count().geometry().translated(-rig.log().pos());
    int end = -1;
    for (int y = countArea.top() + countArea.height() / 4; y <= countArea.top() + 3 * countArea.height() / 4; ++y)
        for (int x = 0; x < image.width() && y >= 0 && y < image.height(); ++x)
            if (image.pixel(x, y) != background)
                end = std::max(end, x);
    return end;
}

// The count stands just behind the "lines remaining " text of its line, in
// the log's own font: after its last drawn pixel, no further than the
// trailing blank and one more character.
void expectCountAtTheEndOfItsLine(CompactWindow& rig)
{
    const int charWidth = QFontMetrics(rig.log().font()).horizontalAdvance(QLatin1Char('0'));
    const int countLeft = rig.count().x() - rig.log().x();
    const int textEnd = textEndUnderCount(rig);
    EXPECT_GE(textEnd, 0) << "no log text under the count";
    EXPECT_LT(textEnd, countLeft);
    EXPECT_GE(textEnd, countLeft - 2 * charWidth);
}

TEST(CompactWindow, TwoFilesKeepTheFirstCountAsZeroAndMoveTheCountToTheSeventhLine)
{
    CompactWindow rig;
    rig.handshake();
    rig.sendFile(link::EepromFile, kEepromName, 3);
    expectCountAtTheEndOfItsLine(rig);
    rig.frontEnd.showLinesLeft(0);
    rig.frontEnd.betweenFiles();
    rig.sendFile(link::FlashFile, kFlashName, 40);

    const QStringList lines = rig.log().text().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[2], "Contacted target Bootloader Ver. 1.28");
    EXPECT_EQ(lines[3], QStringLiteral("File ") + QString::fromStdString(kEepromName) + " correctly opened.");
    EXPECT_EQ(lines[4], "Sending EEPROM file: lines remaining              0 ");
    EXPECT_EQ(lines[5], QStringLiteral("File ") + QString::fromStdString(kFlashName) + " correctly opened.");
    EXPECT_EQ(lines[6], "Sending FLASH file: lines remaining ");
    EXPECT_EQ(rig.count().text(), "40");
    expectCountAtTheEndOfItsLine(rig);
    EXPECT_NE(rig.terminal.out.str().find("Sending EEPROM file: lines remaining 0\nFile /data/firmware"),
              std::string::npos)
        << rig.terminal.out.str();
}

TEST(ShortenFileName, KeepsSixtyCharactersAndCutsLongerNamesToFifty)
{
    const QString sixty(60, QLatin1Char('a'));
    const QString sixtyOne = QStringLiteral("abc") + QString(14, QLatin1Char('x')) + QString(44, QLatin1Char('z'));
    EXPECT_EQ(ShortenFileName(sixty), sixty);
    EXPECT_EQ(ShortenFileName(sixtyOne), QStringLiteral("abc...") + QString(44, QLatin1Char('z')));
}

TEST(CompactWindow, MessagesAndQuestionsAreBoxesTitledWithTheCaptionAndTerminalLines)
{
    CompactWindow rig;
    rig.handshake();
    BoxAnswerer answerer(QMessageBox::Yes);
    EXPECT_TRUE(rig.frontEnd.ask("Checksum error at line 2. Continue with download?"));
    rig.frontEnd.message("FLASH file successfully downloaded.", link::MessageIcon::None);
    rig.frontEnd.message("Error opening x.hex.", link::MessageIcon::Exclamation);

    ASSERT_EQ(answerer.seen().size(), 3u);
    for (const SeenBox& box : answerer.seen())
        EXPECT_EQ(box.title, rig.window.caption());
    EXPECT_EQ(answerer.seen()[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(answerer.seen()[1].icon, QMessageBox::NoIcon);
    EXPECT_EQ(answerer.seen()[2].icon, QMessageBox::Warning);
    EXPECT_TRUE(rig.terminal.out.str().find("\nFLASH file successfully downloaded.\n") != std::string::npos);
    EXPECT_EQ(rig.terminal.err.str(), "Checksum error at line 2. Continue with download?\nError opening x.hex.\n");
    EXPECT_FALSE(rig.frontEnd.cancelRequested());
}

TEST(CompactWindow, ClosingTheWindowAsksTheRunToStopAndSilencesItsBoxes)
{
    CompactWindow rig;
    rig.handshake();
    rig.window.close();
    EXPECT_TRUE(rig.window.isVisible());
    EXPECT_TRUE(rig.frontEnd.cancelRequested());

    BoxAnswerer answerer(QMessageBox::Yes);
    EXPECT_FALSE(rig.frontEnd.ask("Checksum error at line 2. Continue with download?"));
    rig.frontEnd.message("Error while downloading file.", link::MessageIcon::None);
    EXPECT_TRUE(answerer.seen().empty());
    EXPECT_EQ(rig.terminal.err.str(), "Error while downloading file.\n");
    EXPECT_EQ(rig.dir.settingsContent(), ProgramDir::kSettings);
}

}  // namespace
