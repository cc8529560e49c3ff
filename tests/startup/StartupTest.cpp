#include "cmdline/RunRecord.h"
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

TEST(StartupMessage, IsShownWithTheProgramTitleWrittenToTheTerminalAndGivesTheExitStatus)
{
    const std::tuple<ArgsVerdict, const char*, int, bool> cases[] = {
        {ArgsVerdict::UsageRequested, kUsageMessage, 0, true},
        {ArgsVerdict::Refused, kUsageMessage, 2, false},
        {ArgsVerdict::Refused, kNoComPortMessage, 2, false},
    };
    for (const auto& [verdict, message, exitStatus, toStandardOutput] : cases) {
        ParsedArgs parsed;
        parsed.verdict = verdict;
        parsed.message = message;
        const ProgramDir dir;
        MemoryTerminal terminal;
        BoxAnswerer answerer;

        EXPECT_EQ(runStartup(parsed, dir.path(), Face::Windows, terminal.streams()), exitStatus);
        ASSERT_EQ(answerer.seen().size(), 1u);
        EXPECT_EQ(answerer.seen()[0].title, "AVR Bootloader Korvel(r)");
        EXPECT_TRUE(answerer.seen()[0].text.startsWith(QString::fromLatin1(message)));
        EXPECT_FALSE(answerer.seen()[0].otherWindowShown);
        const std::string text = QString(answerer.seen()[0].text).replace("\r\n", "\n").toStdString() + "\n";
        EXPECT_EQ(terminal.out.str(), toStandardOutput ? text : "");
        EXPECT_EQ(terminal.err.str(), toStandardOutput ? "" : text);
    }
}

// Without a settings file the window warns first; the file check follows
// under the loaded window's caption before the window is shown.
TEST(CommandLineStart, SettingsWarningAndFileCheckComeBeforeTheWindowIsShown)
{
    const ProgramDir dir(false);
    MemoryTerminal terminal;
    MainWindowWatcher watcher;
    BoxAnswerer answerer;
    EXPECT_EQ(runStartup(commandLine("x"), dir.path(), Face::Windows, terminal.streams()), 1);
    const QString warning = QStringLiteral("An error occured while loading file ") + dir.settingsPath() +
                            QStringLiteral(". The default settings will be loaded instead.");
    ASSERT_EQ(answerer.texts(), (QStringList{warning, QStringLiteral("Select FLASH file to download.")}));
    EXPECT_EQ(answerer.seen()[1].title, "AVR Bootloader Korvel(r) - V 1.21");
    EXPECT_EQ(watcher.shown, 0);
    EXPECT_EQ(QString::fromStdString(terminal.err.str()),
              warning + QStringLiteral("\nSelect FLASH file to download.\n"));
    EXPECT_EQ(dir.settingsContent(), "<missing>");
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

    EXPECT_EQ(runStartup(commandLine("/tmp/other.hex"), dir.path(), Face::Windows, terminal.streams()), 1);
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

// How a run closes, after line 1 of its FLASH file or during the handshake:
// its note, status and outcome. A stop signal ends it only where it stopped;
// the window closing stops it silently.
TEST(RunRecord, ClosingOfEachEnd)
{
    using link::DownloadResult;
    const struct {
        DownloadResult result;
        int signal;
        bool synchronising;
        int status;
        QString note;
        QString outcome;
    } cases[] = {
        {DownloadResult::Success, 0, false, 0, "", "downloaded"},
        {DownloadResult::Success, SIGINT, false, 0, "", "downloaded"},
        {DownloadResult::Declined, 0, false, 1, "Download stopped at line 2 of my flash.hex.", "stopped"},
        {DownloadResult::Cancelled, SIGHUP, true, 129, "Download interrupted during synchronisation.", "interrupted"},
        {DownloadResult::Cancelled, 0, false, 1, "", "cancelled"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.outcome.toStdString() + " " + std::to_string(c.signal));
        RunRecord record(true, false);
        if (!c.synchronising) {
            record.fileOpened(link::FileKind::Flash, "my flash.hex");
            record.lineDone({9, 1, 15, 1, false});
        }
        const RunRecord::Closing closing = record.close(c.result, c.signal, "COM1");
        EXPECT_EQ(closing.exitStatus, c.status);
        EXPECT_EQ(closing.note, c.note);
        EXPECT_TRUE(closing.summary.startsWith("Summary: outcome=" + c.outcome + " ")) << closing.summary.toStdString();
    }
}

}  // namespace
