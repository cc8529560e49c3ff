// The log of a command-line run on the compact main window.
#include "cmdline/LogFrontEnd.h"
#include "cmdline/RunLog.h"
#include "cmdline/RunRecord.h"
#include "cmdline/TerminalReport.h"
#include "mainwindow/CompactLog.h"

#include "StartupRig.h"
#include "WindowRig.h"

#include <QFontMetrics>
#include <QImage>
#include <QLabel>

#include <gtest/gtest.h>

using namespace korvel;
using namespace korvel::cmdline;

namespace {

// Names of 60 and 61 characters: the second is shortened in the log.
const std::string kEepromName = "/data/eeprom-image-of-the-board-with-a-name-of-sixty-cha.hex";
const std::string kFlashName = "/data/firmware/main-controller-release-build-final-versio.hex";

// The right end of the text drawn in the middle rows of the log line that the
// count label covers, in log coordinates; -1 when those rows are empty. The
// middle rows hold no ascenders or descenders of the neighbouring lines.
int textEndUnderCount(QLabel& log, QLabel& count)
{
    const QImage image = log.grab().toImage();
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    const QRect countArea = count.geometry().translated(-log.pos());
    int end = -1;
    for (int y = countArea.top() + countArea.height() / 4; y <= countArea.top() + 3 * countArea.height() / 4; ++y)
        for (int x = 0; x < image.width() && y >= 0 && y < image.height(); ++x)
            if (image.pixel(x, y) != background)
                end = std::max(end, x);
    return end;
}

// A command-line run's log on the compact window, its download started.
struct CompactRun {
    CompactRun() { rig.window.Form_Load(), frontEnd.downloadStarting(); }

    WindowRig rig{{}, true};
    MemoryTerminal terminal;
    TerminalReport report{terminal.streams(), false};
    RunRecord record{true, true};
    RunLog runLog{[](const std::string&) {}};
    LogFrontEnd frontEnd{report, &rig.window.compactLog(), record, runLog};
};

TEST(CompactWindow, TwoFilesKeepTheFirstCountAsZeroAndMoveTheCountToTheSeventhLine)
{
    CompactRun run;
    LogFrontEnd& frontEnd = run.frontEnd;
    WindowRig& rig = run.rig;
    MemoryTerminal& terminal = run.terminal;
    frontEnd.portOpened();
    frontEnd.versionRead("1.28");
    const std::tuple<link::FileKind, std::string, int> files[] = {{link::FileKind::Eeprom, kEepromName, 3},
                                                                  {link::FileKind::Flash, kFlashName, 40}};
    for (const auto& [kind, name, left] : files) {
        if (kind == link::FileKind::Flash) {
            frontEnd.showLinesLeft(0);
            frontEnd.betweenFiles();
        }
        frontEnd.fileOpened(kind, name);
        frontEnd.sendingFile(kind);
        frontEnd.showLinesLeft(left);
    }

    QLabel& log = rig.control<QLabel>("LblCmdLin");
    QLabel& count = rig.control<QLabel>("LblLineSent");
    const QStringList lines = log.text().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[2], "Contacted target Bootloader Ver. 1.28");
    EXPECT_EQ(lines[3], QStringLiteral("File ") + QString::fromStdString(kEepromName) + " correctly opened.");
    EXPECT_EQ(lines[4], "Sending EEPROM file: lines remaining              0 ");
    EXPECT_EQ(lines[5], "File /da...in-controller-release-build-final-versio.hex correctly opened.");
    EXPECT_EQ(lines[6], "Sending FLASH file: lines remaining ");
    EXPECT_EQ(count.text(), "40");
    // The count stands just behind "lines remaining " in the log's own font:
    // after the line's last drawn pixel, within the blank and one more character.
    const int charWidth = QFontMetrics(log.font()).horizontalAdvance(QLatin1Char('0'));
    const int countLeft = count.x() - log.x();
    const int textEnd = textEndUnderCount(log, count);
    EXPECT_LT(textEnd, countLeft);
    EXPECT_GE(textEnd, countLeft - 2 * charWidth);
    EXPECT_NE(terminal.out.str().find("Sending EEPROM file: lines remaining 0\nFile /da..."), std::string::npos)
        << terminal.out.str();
}

// Every line of a run's log stands whole in the log's width, in the face in
// use, whatever the length of the names: 50 characters (the longest line of
// the design), 60 (the longest name logged whole) and 200 (shortened). The
// count stays right behind "lines remaining ".
TEST(CompactWindow, EveryLineFitsTheDesignedWidth)
{
    for (const int length : {50, 60, 200}) {
        SCOPED_TRACE(length);
        CompactRun run;
        LogFrontEnd& frontEnd = run.frontEnd;
        WindowRig& rig = run.rig;
        frontEnd.waitingForPort("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", 3600,
                                "no such device");
        frontEnd.portOpened();
        frontEnd.versionRead("1.234567");
        const std::string name = "/" + std::string(std::size_t(length) - 5, 'W') + ".hex";
        frontEnd.fileOpened(link::FileKind::Eeprom, name);
        frontEnd.sendingFile(link::FileKind::Eeprom);
        frontEnd.showLinesLeft(32766);
        frontEnd.betweenFiles();
        frontEnd.fileOpened(link::FileKind::Flash, name);
        frontEnd.sendingFile(link::FileKind::Flash);
        frontEnd.showLinesLeft(32766);

        QLabel& log = rig.control<QLabel>("LblCmdLin");
        QLabel& count = rig.control<QLabel>("LblLineSent");
        EXPECT_EQ(log.width(), qRound(5500 / 15.0));
        const QFontMetrics metrics(log.font());
        const QStringList lines = log.text().split(QStringLiteral("\r\n"));
        ASSERT_EQ(lines.size(), 7);
        EXPECT_EQ(lines[3].size(), 5 + std::min(length, 60) - (length > 60 ? 10 : 0) + 18) << lines[3].toStdString();
        for (const QString& line : lines)
            EXPECT_LE(metrics.horizontalAdvance(line), log.contentsRect().width()) << line.toStdString();
        EXPECT_LE(metrics.height() * 7, log.contentsRect().height());
        const int countLeft = count.x() - log.x() - log.contentsRect().left();
        EXPECT_EQ(countLeft, metrics.horizontalAdvance(lines[6]));
        EXPECT_LE(count.geometry().right(), rig.window.width());
    }
}

}  // namespace
