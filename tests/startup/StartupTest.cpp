#include "startup/CmdLine.h"

#include "BoxAnswerer.h"
#include "Pty.h"
#include "StartupRig.h"
#include <gtest/gtest.h>

using namespace korvel;
using namespace korvel::startup;

namespace {

const QString kCaption = QStringLiteral("AVR Bootloader Korvel(r) - V 1.21");

ParsedArgs commandLine(const std::string& flashName)
{
    ParsedArgs parsed;
    parsed.verdict = ArgsVerdict::CommandLine;
    parsed.state.FLASHFileName = flashName;
    parsed.state.CmdLineComPort = 1;
    return parsed;
}

TEST(StartupMessage, IsShownWithTheProgramTitleWrittenToTheTerminalAndGivesTheExitStatus)
{
    const std::tuple<ArgsVerdict, const char*, int, bool> cases[] = {
        {ArgsVerdict::UsageRequested, kUsageMessage, 0, true},
        {ArgsVerdict::Refused, kUsageMessage, 2, false},
        {ArgsVerdict::Refused, kNoComPortMessage, 2, false},
    };
    for (const auto& [verdict, message, exitStatus, toStandardOutput] : cases) {
        SCOPED_TRACE(exitStatus);
        ParsedArgs parsed;
        parsed.verdict = verdict;
        parsed.message = message;
        const ProgramDir dir;
        MemoryTerminal terminal;
        BoxAnswerer answerer;

        EXPECT_EQ(RunStartup(parsed, dir.path(), Face::Windows, terminal.streams()), exitStatus);
        ASSERT_EQ(answerer.seen().size(), 1u);
        EXPECT_EQ(answerer.seen()[0].title, "AVR Bootloader Korvel(r)");
        EXPECT_EQ(answerer.seen()[0].text, message);
        EXPECT_FALSE(answerer.seen()[0].otherWindowShown);

        const std::string line = QString::fromLatin1(message).replace("\r\n", "\n").toStdString() + "\n";
        EXPECT_EQ(terminal.out.str(), toStandardOutput ? line : "");
        EXPECT_EQ(terminal.err.str(), toStandardOutput ? "" : line);
    }
}

TEST(InteractiveStart, ShowsTheInformationBoxThenTheMainWindow)
{
    const ProgramDir dir;
    EXPECT_EQ(startAndExit(dir.path()), "");
}

// Without a settings file the window warns first; the file check follows
// under the loaded window's caption before the window is shown.
TEST(CommandLineStart, SettingsWarningAndFileCheckComeBeforeTheWindowIsShown)
{
    const ProgramDir dir(false);
    MemoryTerminal terminal;
    MainWindowWatcher watcher;
    BoxAnswerer answerer;
    EXPECT_EQ(RunStartup(commandLine("x"), dir.path(), Face::Windows, terminal.streams()), 1);
    const QString warning = QStringLiteral("An error occured while loading file ") + dir.settingsPath() +
                            QStringLiteral(". The default settings will be loaded instead.");
    ASSERT_EQ(answerer.texts(), (QStringList{warning, QStringLiteral("Select FLASH file to download.")}));
    EXPECT_EQ(answerer.seen()[1].title, kCaption);
    EXPECT_EQ(watcher.shown, 0);
    EXPECT_EQ(QString::fromStdString(terminal.err.str()),
              warning + QStringLiteral("\nSelect FLASH file to download.\n"));
    EXPECT_EQ(dir.settingsContent(), "<missing>");
}

TEST(CommandLineStart, PortErrorAfterTheCompactWindowIsShownLeavesTheSettingsFileAlone)
{
    const ProgramDir dir;
    MemoryTerminal terminal;
    MainWindowWatcher watcher;
    BoxAnswerer answerer;
    EXPECT_EQ(RunStartup(commandLine("/tmp/other.hex"), dir.path(), Face::Windows, terminal.streams()), 1);
    EXPECT_EQ(watcher.shown, 1);
    EXPECT_TRUE(watcher.compactLayout);
    ASSERT_EQ(answerer.texts().size(), 1);
    EXPECT_TRUE(answerer.texts()[0].startsWith(QStringLiteral("Error while accessing the com port.\nCOM")));
    EXPECT_EQ(answerer.seen()[0].icon, QMessageBox::Warning);
    EXPECT_EQ(terminal.out.str(), "");
    EXPECT_EQ(terminal.err.str(), answerer.texts()[0].toStdString() + "\n");
    EXPECT_EQ(dir.settingsContent(), ProgramDir::kSettings);
}

// The user closes the compact window as soon as it is shown: the run stops at
// its next chance, with no message, instead of waiting for the silent target.
TEST(CommandLineStart, ClosingTheWindowEndsTheRunWithStatusOne)
{
    Pty target;
    ProgramDir dir;
    dir.mapPort1(QByteArray::fromStdString(target.slavePath()));
    MemoryTerminal terminal;
    BoxAnswerer answerer;
    MainWindowWatcher closer(true);

    EXPECT_EQ(RunStartup(commandLine("/tmp/other.hex"), dir.path(), Face::Windows, terminal.streams()), 1);
    EXPECT_EQ(closer.shown, 1);
    EXPECT_TRUE(closer.stayedOpen);
    EXPECT_TRUE(answerer.seen().empty());
    EXPECT_EQ(terminal.out.str(), "Serial line correctly opened.\n"
                                  "Please synchronize systems: power on or reset target!\n");
    EXPECT_EQ(terminal.err.str(), "");
    EXPECT_EQ(dir.settingsContent(), ProgramDir::kSettings);
}

}  // namespace
