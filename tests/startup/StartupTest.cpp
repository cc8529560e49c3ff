#include "startup/CmdLine.h"

#include "BoxAnswerer.h"
#include "PtyPair.h"
#include "StartupRig.h"
#include <csignal>
#include <gtest/gtest.h>

using namespace korvel;
using namespace korvel::startup;
using namespace korvel::cmdline;

namespace {

ParsedArgs commandLine(const std::string& flashName)
{
    ParsedArgs parsed;
    parsed.verdict = ArgsVerdict::CommandLine;
    parsed.state.FLASHFileName = flashName;
    parsed.state.CmdLineComPort = 1;
    return parsed;
}

// The box shows the designed text (and a refusal's reason after it); the
// terminal shows the same, and for the help the further options and exit
// statuses, which only the terminal shows.
TEST(StartupMessage, IsShownWithTheProgramTitleWrittenToTheTerminalAndGivesTheExitStatus)
{
    const std::string reason = "\r\n\"-v\" is not an option of AVRBootloaderKorvel; --help lists them.";
    const std::tuple<ArgsVerdict, std::string, int, bool> cases[] = {
        {ArgsVerdict::UsageRequested, kUsageMessage, 0, true},
        {ArgsVerdict::Refused, kUsageMessage + reason, 2, false},
        {ArgsVerdict::Refused, kNoComPortMessage, 2, false},
    };
    for (const auto& [verdict, message, exitStatus, toStandardOutput] : cases) {
        ParsedArgs parsed;
        parsed.verdict = verdict;
        parsed.message = message;
        const ProgramDir dir;
        MemoryTerminal terminal;
        BoxAnswerer answerer;

        EXPECT_EQ(runStartup(parsed, dir.path(), Face::Windowed, terminal.streams()), exitStatus);
        ASSERT_EQ(answerer.seen().size(), 1u);
        EXPECT_EQ(answerer.seen()[0].title, "AVR Bootloader Korvel(r)");
        EXPECT_EQ(answerer.seen()[0].text, QString::fromStdString(message));
        EXPECT_FALSE(answerer.seen()[0].otherWindowShown);
        const std::string text = QString(answerer.seen()[0].text).replace("\r\n", "\n").toStdString();
        const std::string& shown = toStandardOutput ? terminal.out.str() : terminal.err.str();
        EXPECT_EQ(shown.rfind(text, 0), 0u);
        EXPECT_EQ(shown.find("\nMore options:\n") != std::string::npos, verdict == ArgsVerdict::UsageRequested);
        EXPECT_EQ(shown.size() > text.size() + 1, verdict == ArgsVerdict::UsageRequested);
        EXPECT_EQ((toStandardOutput ? terminal.err : terminal.out).str(), "");
    }
}

// A command-line run uses no value of the settings file: a missing one goes
// unmentioned, one that cannot be read is still reported. Any warning comes
// first; the file check follows under the loaded window's caption before the
// window is shown.
TEST(CommandLineStart, SettingsWarningAndFileCheckComeBeforeTheWindowIsShown)
{
    for (const bool damaged : {false, true}) {
        SCOPED_TRACE(damaged ? "damaged" : "missing");
        const ProgramDir dir(false);
        if (damaged) {
            ASSERT_TRUE(writeFile(dir.settingsPath(), "not a number\r\n"));
        }
        MemoryTerminal terminal;
        MainWindowWatcher watcher;
        BoxAnswerer answerer;
        EXPECT_EQ(runStartup(commandLine("x"), dir.path(), Face::Windowed, terminal.streams()), 1);
        QStringList expected{QStringLiteral("Select FLASH file to download.")};
        if (damaged)
            expected.prepend(QStringLiteral("An error occured while loading file ") + dir.settingsPath() +
                             QStringLiteral(". The default settings will be loaded instead."));
        ASSERT_EQ(answerer.texts(), expected);
        EXPECT_EQ(answerer.seen().back().title, "AVR Bootloader Korvel(r) - V 1.21");
        EXPECT_EQ(watcher.shown, 0);
        EXPECT_EQ(QString::fromStdString(terminal.err.str()), expected.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    }
}

// The user closes the compact window as soon as it is shown: the run stops at
// its next chance, with no message, instead of waiting for the silent target.
TEST(CommandLineStart, ClosingTheWindowEndsTheRunWithStatusOne)
{
    PtyPair target;
    ProgramDir dir;
    dir.mapPort1(QByteArray::fromStdString(target.slavePath()));
    MemoryTerminal terminal;
    BoxAnswerer answerer;
    MainWindowWatcher closer(true);

    const QString hexFile = dir.path() + QStringLiteral("/other.hex");
    ASSERT_TRUE(writeFile(hexFile, ":0100000000FF\r\n:00000001FF\r\n"));
    EXPECT_EQ(runStartup(commandLine(hexFile.toStdString()), dir.path(), Face::Windowed, terminal.streams()), 1);
    EXPECT_EQ(closer.shown, 1);
    EXPECT_TRUE(closer.compactLayout);
    EXPECT_TRUE(closer.stayedOpen);
    EXPECT_TRUE(answerer.seen().empty());
    EXPECT_EQ(terminal.out.str().rfind("Serial line correctly opened.\n"
                                       "Please synchronize systems: power on or reset target!\n"
                                       "Summary: outcome=cancelled ",
                                       0),
              0u);
    EXPECT_EQ(terminal.err.str(), "");
    EXPECT_EQ(dir.settingsContent(), ProgramDir::kSettings);
}

}  // namespace
