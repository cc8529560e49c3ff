#include "startup/CmdLine.h"

#include "StartupRig.h"
#include "infowindow/FrmInfo.h"
#include "mainwindow/FrmMain.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace korvel;
using namespace korvel::startup;

namespace {

const QString kCaption = QStringLiteral("AVR Bootloader Korvel(r) - V 1.21");

// Runs `handler` once the next event loop runs, which is inside the first
// modal window the code under test opens, or its main event loop.
void whenEventsRun(std::function<void()> handler)
{
    QTimer::singleShot(0, qApp, std::move(handler));
}

FrmMain* shownMainWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<FrmMain*>(widget); window && window->isVisible())
            return window;
    return nullptr;
}

// Notes how each main window looks when it is first shown.
class MainWindowShowWatcher : public QObject {
public:
    MainWindowShowWatcher() { qApp->installEventFilter(this); }
    ~MainWindowShowWatcher() override { qApp->removeEventFilter(this); }

    int shown = 0;
    bool compactLayout = false;
    QString log = QStringLiteral("<not shown>");

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (auto* window = qobject_cast<FrmMain*>(watched); window && event->type() == QEvent::Show) {
            ++shown;
            compactLayout = window->commandLineLog().isVisible();
            log = window->commandLineLog().text();
        }
        return false;
    }
};

// Asks the main window to close as soon as it is shown, as the window
// system's close command would.
class CloseOnShow : public QObject {
public:
    CloseOnShow() { qApp->installEventFilter(this); }
    ~CloseOnShow() override { qApp->removeEventFilter(this); }

    bool closed = false;
    bool stayedOpen = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (auto* window = qobject_cast<FrmMain*>(watched); window && event->type() == QEvent::Show) {
            QTimer::singleShot(0, window, [this, window] {
                window->close();
                closed = true;
                stayedOpen = window->isVisible();
            });
        }
        return false;
    }
};

ParsedArgs commandLine(const std::string& flashName, const std::string& eepromName)
{
    ParsedArgs parsed;
    parsed.verdict = ArgsVerdict::CommandLine;
    parsed.state.CmdLineMode = true;
    parsed.state.FLASHFileName = flashName;
    parsed.state.CmdLineFLASH = !flashName.empty();
    parsed.state.EEPROMFileName = eepromName;
    parsed.state.CmdLineEEPROM = !eepromName.empty();
    parsed.state.CmdLineComPort = 1;
    return parsed;
}

struct MessageCase {
    ArgsVerdict verdict;
    const char* message;
    int exitStatus;
    bool toStandardOutput;
};

class StartupMessage : public ::testing::TestWithParam<MessageCase> {};

TEST_P(StartupMessage, IsShownWithTheProgramTitleWrittenToTheTerminalAndGivesTheExitStatus)
{
    ParsedArgs parsed;
    parsed.verdict = GetParam().verdict;
    parsed.message = GetParam().message;
    const ProgramDir dir;
    MemoryTerminal terminal;
    BoxAnswerer answerer;

    EXPECT_EQ(RunStartup(parsed, dir.path(), Face::Windows, terminal.streams()), GetParam().exitStatus);
    ASSERT_EQ(answerer.seen().size(), 1u);
    const SeenBox& box = answerer.seen()[0];
    EXPECT_EQ(box.title, "AVR Bootloader Korvel(r)");
    EXPECT_EQ(box.text, GetParam().message);
    EXPECT_EQ(box.icon, QMessageBox::NoIcon);
    EXPECT_EQ(box.buttons, QMessageBox::Ok);
    EXPECT_FALSE(box.mainWindowShown);

    QString line = QString::fromLatin1(GetParam().message).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    line += QLatin1Char('\n');
    EXPECT_EQ(terminal.out.str(), GetParam().toStandardOutput ? line.toStdString() : "");
    EXPECT_EQ(terminal.err.str(), GetParam().toStandardOutput ? "" : line.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Table, StartupMessage,
                         ::testing::Values(MessageCase{ArgsVerdict::UsageRequested, kUsageMessage, 0, true},
                                           MessageCase{ArgsVerdict::Refused, kUsageMessage, 2, false},
                                           MessageCase{ArgsVerdict::Refused, kNoComPortMessage, 2, false}));

TEST(InteractiveStart, ShowsTheInformationBoxThenTheMainWindow)
{
    bool infoFirst = false;
    bool mainWindowBeforeInfoClosed = true;
    bool mainWindowShown = false;
    bool compactLayout = true;
    QWidget* modalOverMainWindow = nullptr;

    whenEventsRun([&] {
        auto* info = qobject_cast<FrmInfo*>(QApplication::activeModalWidget());
        infoFirst = info != nullptr;
        mainWindowBeforeInfoClosed = shownMainWindow() != nullptr;
        whenEventsRun([&] {
            modalOverMainWindow = QApplication::activeModalWidget();
            if (FrmMain* window = shownMainWindow()) {
                mainWindowShown = true;
                compactLayout = window->commandLineLog().isVisible();
                window->close();
            }
        });
        if (info)
            info->accept();
    });

    const ProgramDir dir;
    MemoryTerminal terminal;
    EXPECT_EQ(RunStartup(ParsedArgs{}, dir.path(), Face::Windows, terminal.streams()), 0);
    EXPECT_TRUE(infoFirst);
    EXPECT_FALSE(mainWindowBeforeInfoClosed);
    EXPECT_EQ(modalOverMainWindow, nullptr);
    EXPECT_TRUE(mainWindowShown);
    EXPECT_FALSE(compactLayout);
}

TEST(CommandLineStart, FileCheckMessageCarriesTheLoadedWindowsCaptionBeforeTheWindowIsShown)
{
    const ProgramDir dir;
    MemoryTerminal terminal;
    MainWindowShowWatcher watcher;
    BoxAnswerer answerer;
    EXPECT_EQ(RunStartup(commandLine("x", ""), dir.path(), Face::Windows, terminal.streams()), 1);
    ASSERT_EQ(answerer.texts(), QStringList{QStringLiteral("Select FLASH file to download.")});
    EXPECT_EQ(answerer.seen()[0].title, kCaption);
    EXPECT_FALSE(answerer.seen()[0].mainWindowShown);
    EXPECT_EQ(watcher.shown, 0);
    EXPECT_EQ(terminal.err.str(), "Select FLASH file to download.\n");
}

TEST(CommandLineStart, PortErrorAfterTheCompactWindowIsShownLeavesTheSettingsFileAlone)
{
    const ProgramDir dir;
    MemoryTerminal terminal;
    MainWindowShowWatcher watcher;
    BoxAnswerer answerer;
    EXPECT_EQ(RunStartup(commandLine("/tmp/other.hex", ""), dir.path(), Face::Windows, terminal.streams()), 1);
    EXPECT_EQ(watcher.shown, 1);
    EXPECT_TRUE(watcher.compactLayout);
    EXPECT_EQ(watcher.log, QString());
    ASSERT_EQ(answerer.texts(), QStringList{QStringLiteral("Error while accessing the com port.")});
    EXPECT_EQ(answerer.seen()[0].title, kCaption);
    EXPECT_EQ(answerer.seen()[0].icon, QMessageBox::Warning);
    EXPECT_TRUE(answerer.seen()[0].mainWindowShown);
    EXPECT_EQ(terminal.out.str(), "");
    EXPECT_EQ(terminal.err.str(), "Error while accessing the com port.\n");
    EXPECT_EQ(dir.settingsContent(), ProgramDir::kSettings);
}

// The user closes the compact window as soon as it is shown: the run stops at
// its next chance, with no message, instead of waiting for the silent target.
TEST(CommandLineStart, ClosingTheWindowEndsTheRunWithStatusOne)
{
    SilentTerminal target;
    ASSERT_FALSE(target.devicePath().isEmpty());
    ProgramDir dir;
    dir.mapPort1(target.devicePath());
    MemoryTerminal terminal;
    BoxAnswerer answerer;
    CloseOnShow closer;

    EXPECT_EQ(RunStartup(commandLine("/tmp/other.hex", ""), dir.path(), Face::Windows, terminal.streams()), 1);
    EXPECT_TRUE(closer.closed);
    EXPECT_TRUE(closer.stayedOpen);
    EXPECT_TRUE(answerer.seen().empty());
    EXPECT_EQ(terminal.out.str(), "Serial line correctly opened.\n"
                                  "Please synchronize systems: power on or reset target!\n");
    EXPECT_EQ(terminal.err.str(), "");
    EXPECT_EQ(dir.settingsContent(), ProgramDir::kSettings);
}

TEST(CommandLineStart, FlashOnlyRunLogsOnTheWindowAndEndsWithTheSuccessBox)
{
    QProcess target;
    target.start(QStringLiteral(KORVEL_TARGETSIM_PATH), {QStringLiteral("--once")});
    ASSERT_TRUE(target.waitForReadyRead(5000));
    ProgramDir dir;
    dir.mapPort1(target.readLine().trimmed());
    QFile hex(dir.filePath(QStringLiteral("app.hex")));
    ASSERT_TRUE(hex.open(QIODevice::WriteOnly));
    hex.write(":0100000055AA\r\n:00000001FF\r\n");
    hex.close();
    MemoryTerminal terminal;
    MainWindowShowWatcher watcher;
    BoxAnswerer answerer;

    EXPECT_EQ(RunStartup(commandLine(hex.fileName().toStdString(), ""), dir.path(), Face::Windows, terminal.streams()),
              0);
    EXPECT_EQ(watcher.shown, 1);
    EXPECT_EQ(answerer.texts(), QStringList{QStringLiteral("FLASH file successfully downloaded.")});
    EXPECT_TRUE(answerer.seen().at(0).mainWindowShown);
    EXPECT_EQ(terminal.out.str(), "Serial line correctly opened.\n"
                                  "Please synchronize systems: power on or reset target!\n"
                                  "Contacted target Bootloader Ver. 1.28\n"
                                  "File " + hex.fileName().toStdString() + " correctly opened.\n"
                                  "Sending FLASH file: lines remaining 0\n"
                                  "FLASH file successfully downloaded.\n");
    EXPECT_TRUE(target.waitForFinished(5000));
    EXPECT_EQ(dir.settingsContent(), ProgramDir::kSettings);
}

TEST(CommandLineStart, SettingsWarningOfTheWindowIsWrittenToTheErrorOutput)
{
    const ProgramDir dir(false);
    MemoryTerminal terminal;
    BoxAnswerer answerer;
    EXPECT_EQ(RunStartup(commandLine("x", ""), dir.path(), Face::Windows, terminal.streams()), 1);
    const QString warning = QStringLiteral("An error occured while loading file ") + dir.settingsPath()
                          + QStringLiteral(". The default settings will be loaded instead.");
    EXPECT_EQ(answerer.texts(), (QStringList{warning, QStringLiteral("Select FLASH file to download.")}));
    EXPECT_EQ(QString::fromStdString(terminal.err.str()),
              warning + QStringLiteral("\nSelect FLASH file to download.\n"));
    EXPECT_EQ(dir.settingsContent(), "<missing>");
}

}  // namespace
