// Several ports in one run, and the station that programs board after board,
// against simulated boards on pseudo-terminals that come and go.
#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <map>
#include <memory>
#include <thread>
#include <unistd.h>

#include "PtyPair.h"
#include "Tools.h"

namespace {

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// A folder with the program, a ports file naming no device, flash.hex and a
// second image other.hex; boards are simulators whose links live here too.
class Station {
public:
    Station()
    {
        QFile::copy(QStringLiteral(KORVEL_PROGRAM_PATH), path("AVRBootloaderKorvel"));
        writeFile(path("AVRBootloaderKorvel.ports"), "");
        ready_ = !makeHex(dir_.path(), "flash", 256, 3).isEmpty() && !makeHex(dir_.path(), "other", 300, 4).isEmpty();
    }
    bool ready() const { return ready_; }
    QString path(const QString& name) const { return dir_.filePath(name); }

    // A shell loop in a group of its own, ended with the simulator it runs
    // when the test ends before it.
    struct Supply {
        std::unique_ptr<QProcess> shell = std::make_unique<QProcess>();
        ~Supply()
        {
            if (shell->state() != QProcess::NotRunning)
                ::kill(-pid_t(shell->processId()), SIGTERM);
            shell->waitForFinished(5000);
        }
    };

    // Boards one after another on the port `link`: a shell loop of simulators,
    // each ending after its download; the shell commands in `between` run
    // before the board of their number (from 1) comes.
    std::unique_ptr<Supply> supply(const QString& link, int boards, const QStringList& options,
                                   const std::map<int, QString>& between = {}) const
    {
        QString script = "set -u\n";
        for (int board = 1; board <= boards; ++board) {
            if (between.count(board))
                script += between.at(board) + "\n";
            script += "'" + QStringLiteral(KORVEL_TARGETSIM_PATH) + "' --once --link '" + path(link) +
                      "' --flash-out '" + path(link + "-" + QString::number(board) + ".flash") + "' " +
                      options.value(board - 1) + " >/dev/null 2>&1\nsleep 0.2\n";
        }
        auto supply = std::make_unique<Supply>();
        supply->shell->setWorkingDirectory(dir_.path());
        supply->shell->setChildProcessModifier([] { ::setpgid(0, 0); });
        supply->shell->start("bash", {"-c", script});
        return supply;
    }

    std::unique_ptr<QProcess> start(const QStringList& arguments) const
    {
        auto program = std::make_unique<QProcess>();
        program->setWorkingDirectory(dir_.path());
        program->start(path("AVRBootloaderKorvel"), arguments);
        return program;
    }

    static ProgramRun finish(QProcess& program)
    {
        ProgramRun run;
        if (program.waitForFinished(60000) && program.exitStatus() == QProcess::NormalExit)
            run.exitCode = program.exitCode();
        else
            program.kill();
        run.out = QString::fromUtf8(program.readAllStandardOutput());
        run.err = QString::fromUtf8(program.readAllStandardError());
        return run;
    }

private:
    QTemporaryDir dir_;
    bool ready_ = false;
};

int count(const QString& text, const QString& pattern)
{
    return int(text.count(QRegularExpression(pattern)));
}

// Three ports at once, each with its own download: one board answers its
// third line with a write error, and the question that names its port is
// answered No; one board's adapter is pulled after three lines. The good
// board gets its image whatever becomes of the others, each port ends with
// its own summary, and the run with its tally.
TEST(SeveralPorts, EachPortHasItsOwnDownload)
{
    const Station station;
    ASSERT_TRUE(station.ready());
    const TargetSim good({"--once", "--link", station.path("good"), "--flash-out", station.path("good.flash")});
    const TargetSim refusing({"--link", station.path("refusing"), "--write-error-line", "3"});
    const TargetSim pulled({"--link", station.path("pulled"), "--close-after", "3"});
    const auto program = station.start({"/port", station.path("good"), "/port", station.path("refusing"), "/port",
                                        station.path("pulled"), "/f", "flash.hex"});
    program->write("n\n");
    program->closeWriteChannel();
    const ProgramRun run = Station::finish(*program);
    const QString folder = station.path("");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("refusing: Error writing to flash at line 3. Continue with download? [y/N] n\n"))
        << run.err.toStdString();
    for (const char* summary :
         {"Summary: outcome=downloaded .* port=\\S*/good\n", "Summary: outcome=stopped .* port=\\S*/refusing\n",
          "Summary: outcome=transfer-error .* port=\\S*/pulled\n"})
        EXPECT_EQ(count(run.out, summary), 1) << summary << "\n" << run.out.toStdString();
    EXPECT_TRUE(
        QString(run.out).remove(folder + "/").contains("Tally: good=1 failed=2 (good 1/0, refusing 0/1, pulled 0/1)"))
        << run.out.toStdString();
    EXPECT_EQ(fileContents(station.path("good.flash")), fileContents(station.path("flash.bin")));
}

// A station of two ports that programs five boards on each, as boards come
// and go: the second board of the second port refuses a line and is removed
// after a while; flash.hex is replaced by another image after the first
// port's second board, and the boards after it get the new image. --count
// ends the station after ten boards; each board has its summary with its
// number, the log has every board, and the tally counts one failure.
TEST(Station, ProgramsBoardAfterBoard)
{
    const Station station;
    ASSERT_TRUE(station.ready());
    const auto first = station.supply("one", 5, {}, {{3, "cp other.hex flash.hex"}});
    const auto second = station.supply("two", 5, {"", "--write-error-line 2 & sleep 2; kill $!; wait"});
    const auto program =
        station.start({"/port", station.path("one"), "/port", station.path("two"), "/f", "flash.hex", "--station",
                       "--count", "10", "--log", "station.log", "--record", "boards.jsonl", "--tag", "line 2"});
    program->closeWriteChannel();
    const ProgramRun run = Station::finish(*program);
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_EQ(count(run.out, "Summary: outcome=downloaded .* board=[0-9]+ port=\\S*/(one|two)\n"), 9)
        << run.out.toStdString();
    EXPECT_EQ(count(run.out, "Summary: outcome=stopped .* board=[0-9]+ port=\\S*/two\n"), 1);
    EXPECT_TRUE(QString(run.out).remove(station.path("") + "/").contains("Tally: good=9 failed=1 (one 5/0, two 4/1)"))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QRegularExpression("flash\\.hex read again: SHA-256 [0-9a-f]{64}\n")));
    EXPECT_EQ(count(QString::fromUtf8(fileContents(station.path("station.log"))), " Summary: outcome="), 10);
    // A record per board, with its port, its number and the station's tag.
    const QString records = QString::fromUtf8(fileContents(station.path("boards.jsonl")));
    EXPECT_EQ(count(records, "\\{[^\n]*\"board\":([1-9]|10)[,}][^\n]*\n"), 10) << records.toStdString();
    EXPECT_EQ(count(records, "\"tag\":\"line 2\""), 10);
    EXPECT_EQ(count(records, "\"device\":\"[^\"]*/two\""), 5);
    EXPECT_EQ(fileContents(station.path("one-5.flash")), fileContents(station.path("other.bin")));
    EXPECT_EQ(fileContents(station.path("one-1.flash")), fileContents(station.path("flash.bin")));
    EXPECT_TRUE(first->shell->waitForFinished(10000) && second->shell->waitForFinished(10000));
}

// A stop signal while a board is being programmed: the board is recorded as
// interrupted, the port that waits for its next board simply stops, and the
// tally ends the run with the signal's status.
TEST(Station, StopSignalRecordsTheBoardInProgress)
{
    const Station station;
    ASSERT_TRUE(station.ready());
    const TargetSim slow({"--link", station.path("one"), "--answer-delay", "500"});
    const auto program = station.start({"/port", station.path("one"), "/port", station.path("two"), "/f", "flash.hex",
                                        "--station", "--log", "station.log"});
    program->closeWriteChannel();
    // The board is in progress once its file is opened: each of its 18 lines
    // takes half a second from then on.
    const QDeadlineTimer limit(30000);
    while (!fileContents(station.path("station.log")).contains("flash.hex correctly opened.") && !limit.hasExpired())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ::kill(pid_t(program->processId()), SIGINT);
    const ProgramRun run = Station::finish(*program);
    EXPECT_EQ(run.exitCode, 130);
    EXPECT_TRUE(run.err.contains(
        QRegularExpression("/one: Download interrupted at line [0-9]+ of flash\\.hex \\(SIGINT\\)\\.\n")))
        << run.err.toStdString();
    EXPECT_EQ(count(run.out, "Summary: outcome=interrupted .* board=1 port=\\S*/one\n"), 1) << run.out.toStdString();
    EXPECT_TRUE(QString(run.out)
                    .remove(station.path("") + "/")
                    .endsWith("Tally: good=0 failed=1 (one 0/1, two 0/0); last: one board 1 interrupted\n"))
        << run.out.toStdString();
}

}  // namespace
