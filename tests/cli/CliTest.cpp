// The program run from a script: against the target simulator on a
// pseudo-terminal, checked by its standard output, error output and exit
// status, the images the target received and the port it leaves behind.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "PtyPair.h"
#include "Tools.h"

namespace {

const QByteArray kSettings = "0\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n";
const QString kHandshake = QRegularExpression::escape("Serial line correctly opened.\n"
                                                      "Please synchronize systems: power on or reset target!\n"
                                                      "Contacted target Bootloader Ver. 1.28\n");
const QString kFlashSent =
    QRegularExpression::escape("File flash.hex correctly opened.\nSending FLASH file: lines remaining ");

struct ProgramRun {
    int exitCode = -1;  // -1: crashed or still running after the limit
    QString out;
    QString err;
};

}  // namespace

// Failures show a JSON value as JSON.
void PrintTo(const QJsonValue& value, std::ostream* out)
{
    *out << QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).toStdString();
}

namespace {

bool matches(const QString& text, const QString& pattern)
{
    const QRegularExpression whole(QRegularExpression::anchoredPattern(pattern),
                                   QRegularExpression::DotMatchesEverythingOption);
    return whole.match(text).hasMatch();
}

// The summary line of a run on COM3 with the counts of its files.
QString summaryLine(const QString& outcome, const QString& counts)
{
    return "Summary: outcome=" + outcome + " seconds=[0-9]+\\.[0-9] waited=[0-9]+\\.[0-9] bootloader=1\\.28 " + counts +
           " port=COM3 = .+\n";
}

// Simulated boards on COM3, COM4 ... (none: COM3 names no device) and a
// folder holding a copy of the program, its settings and ports files, and
// flash.hex and eeprom.hex with their bytes in flash.bin and eeprom.bin. The
// program runs in the folder; board n writes what it received to
// <n>.flash and <n>.eeprom among the images.
class Bench {
public:
    explicit Bench(int boards = 0, const QString& options = {})
    {
        QByteArray ports = "COM3=/nonexistent/korvel-tty\n";
        for (int n = 0; n < boards; ++n) {
            const QString image = images_.filePath(QString::number(n));
            targets_.push_back(std::make_unique<TargetSim>(
                QStringList{"--once", "--flash-out", image + ".flash", "--eeprom-out", image + ".eeprom"} +
                options.split(' ', Qt::SkipEmptyParts)));
            ports += "COM" + QByteArray::number(3 + n) + "=" + QFile::encodeName(device(n)) + "\n";
            ready_ = ready_ && !device(n).isEmpty();
        }
        QFile::copy(QStringLiteral(KORVEL_PROGRAM_PATH), path("AVRBootloaderKorvel"));
        writeFile(path("AVRBootloaderKorvel.ports"), ports);
        writeFile(path("AVRBootloaderKorvel.cfg"), kSettings);
        ready_ = ready_ && !makeHex(folder_.path(), "flash", 2048, 3).isEmpty() &&
                 !makeHex(folder_.path(), "eeprom", 64, 11, 8).isEmpty();
    }

    bool ready() const { return ready_; }
    QString path(const QString& name) const { return folder_.filePath(name); }
    const QString& device(int n) const { return targets_[n]->devicePath(); }

    // Started with its input open; `inChild` runs in the child before the program.
    std::unique_ptr<QProcess> start(const QStringList& arguments,
                                    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
                                    const std::function<void()>& inChild = {}) const
    {
        auto program = std::make_unique<QProcess>();
        program->setWorkingDirectory(folder_.path());
        program->setProcessEnvironment(environment);
        if (inChild)
            program->setChildProcessModifier(inChild);
        program->start(path("AVRBootloaderKorvel"), arguments);
        return program;
    }

    static ProgramRun finish(QProcess& program)
    {
        ProgramRun run;
        if (!program.waitForFinished(30000))
            program.kill();
        else if (program.exitStatus() == QProcess::NormalExit)
            run.exitCode = program.exitCode();
        run.out = QString::fromLocal8Bit(program.readAllStandardOutput());
        run.err = QString::fromLocal8Bit(program.readAllStandardError());
        return run;
    }

    // Board n ended and holds the files that `files` names.
    void expectImages(int n, const QString& files) const
    {
        ASSERT_EQ(targets_[n]->waitForExit(5000), 0);
        for (const QString memory : {"flash", "eeprom"})
            EXPECT_EQ(fileContents(images_.filePath(QString::number(n) + "." + memory)),
                      files.contains(memory) ? fileContents(path(memory + ".bin")) : "");
    }

private:
    QTemporaryDir images_;
    std::vector<std::unique_ptr<TargetSim>> targets_;
    QTemporaryDir folder_;
    bool ready_ = true;
};

// Runs on the terminal, with and without a target. Without a display the
// program needs no "/console" to stay on the terminal; with a display that is
// named but has no server (:7919 here) it says so and goes on without
// windows. A run that ends with status 0 leaves the target with the images of
// the files; the simulator writes an empty image of a memory that received
// nothing. No run writes the settings file.
TEST(ConsoleRun, EndsWithItsOutputAndExitStatus)
{
    const QProcessEnvironment offscreen = QProcessEnvironment::systemEnvironment();
    QProcessEnvironment none = offscreen;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        none.remove(QString::fromLatin1(name));
    QProcessEnvironment dead = none;
    dead.insert(QStringLiteral("DISPLAY"), QStringLiteral(":7919"));
    const QString usage = "Usage: AVRBootloaderKorvel /comx \\[/f <FlashFileName> \\| /e <EEPROMFileName>\\]\n.*";
    const QString noWindows = QRegularExpression::escape("AVRBootloaderKorvel: the windows need a display: ");
    const struct {
        const char* simulator;  // its options, separated by blanks; none: no target
        QString arguments;      // separated by blanks
        QByteArray input;
        const QProcessEnvironment& environment;
        int exitCode;
        QString out;  // patterns for the whole outputs
        QString err;
    } cases[] = {
        {"", "/com3 /e eeprom.hex /f flash.hex /console", "", offscreen, 0,
         kHandshake + "File eeprom\\.hex correctly opened\\.\nSending EEPROM file: lines remaining 0\n" + kFlashSent +
             "0\nFLASH & EEPROM files successfully downloaded\\.\n" +
             summaryLine("downloaded",
                         "eeprom-lines=10 eeprom-bytes=242 eeprom-resends=0 eeprom-skipped=0 eeprom-accepted=10 "
                         "eeprom-sent=10 eeprom-remaining=0 flash-lines=130 flash-bytes=5530 flash-resends=0 "
                         "flash-skipped=0 flash-accepted=130 flash-sent=130 flash-remaining=0"),
         ""},
        // A line skipped with Yes: the target says the download is done,
        // but the status tells a script that the image is incomplete.
        {"--checksum-errors 3 --error-line 2", "/com3 /f flash.hex /console", "yes\n", offscreen, 3,
         kHandshake + kFlashSent + "0\nFLASH file successfully downloaded\\.\n" +
             summaryLine("downloaded-with-skipped-lines", "flash-lines=130 .* flash-resends=2 flash-skipped=1 .*"),
         "Checksum error at line 2\\. Continue with download\\? \\[y/N\\] yes\nSkipped lines: 1\\. .*\n"},
        // A hang-up is the device gone (code 6), as when a write notices it,
        // and ends the run at once.
        {"--close-after 3", "/com3 /f flash.hex /console", "", offscreen, 1,
         kHandshake + kFlashSent + "[0-9]+\n" + summaryLine("transfer-error", ".*"),
         "Error while downloading the firmware file: 6\\.\n.*"},
        // A target that answers every line twice runs ahead of the lines:
        // the run stops instead of taking its answers for later lines.
        {"--double-answer", "/com3 /f flash.hex /console", "", offscreen, 1,
         kHandshake + kFlashSent + "[0-9]+\n" + summaryLine("transfer-error", ".*"),
         "Error while downloading the firmware file: 0\\.\nThe target answered out of step: .*"},
        // A slow target: each answer comes while a later line is awaited. All
        // of them accept their lines, so the download succeeds as designed.
        {"--version 1.20 --answer-delay 600", "/com3 /e eeprom.hex /console", "", offscreen, 0,
         ".*Ver\\. 1\\.2\n.*EEPROM file successfully downloaded\\.\nSummary: outcome=downloaded .*", ""},
        {nullptr, "/port /nonexistent/tty /f flash.hex /console", "", offscreen, 1,
         "Summary: outcome=port-error .* port=/nonexistent/tty\n", "Error while accessing the com port\\.\n.*"},
        {nullptr, "/com3 /f flash.hex", "", dead, 1,
         "Summary: outcome=port-error .* bootloader=none flash-lines=0 .* port=COM3 = /nonexistent/korvel-tty\n",
         "AVRBootloaderKorvel: cannot open display :7919; going on without windows\\.\n"
         "Error while accessing the com port\\.\nCOM3 = /nonexistent/korvel-tty[^\n]*\n.*"},
        {nullptr, "--help /console", "", offscreen, 0,
         usage + "\n  --ports .*\n  3 +downloaded, but lines [^\n]* skipped\n.*\n  143 +interrupted by SIGTERM\n"
                 "Files:\n  AVRBootloaderKorvel\\.ports .*\n  AVRBootloaderKorvel\\.cfg .*\n",
         ""},
        {nullptr, "--version", "", dead, 0, "AVRBootloaderKorvel 1\\.21\n", ""},
        {nullptr, "--ports", "", none, 0, "Ports file: .*", ""},
        {nullptr, "", "", none, 2, "", noWindows + "no display is set.*"},
        {nullptr, "", "", dead, 2, "", noWindows + "cannot open display :7919\\.\nTo download from a terminal: .*"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.toStdString());
        const Bench bench(c.simulator ? 1 : 0, c.simulator);
        ASSERT_TRUE(bench.ready());
        const auto program = bench.start(c.arguments.split(' ', Qt::SkipEmptyParts), c.environment);
        program->write(c.input);
        program->closeWriteChannel();
        const ProgramRun run = Bench::finish(*program);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(matches(run.out, c.out)) << run.out.toStdString();
        EXPECT_TRUE(matches(run.err, c.err)) << run.err.toStdString();
        EXPECT_EQ(fileContents(bench.path("AVRBootloaderKorvel.cfg")), kSettings);
        if (c.simulator && c.exitCode == 0)
            bench.expectImages(0, c.arguments);
    }
}

// The lock files in /var/lock that process `pid` holds, or left behind.
std::string locksOf(qint64 pid)
{
    std::string held;
    const QDir locks(QStringLiteral("/var/lock"));
    for (const QString& name : locks.entryList({QStringLiteral("LCK..*")}, QDir::Files))
        if (fileContents(locks.filePath(name)).startsWith(QByteArray::number(pid) + '\n'))
            held += name.toStdString() + " ";
    return held;
}

// The command that opens `device` as another user. Root opens a device held
// exclusively all the same, so root opens it to everyone and becomes nobody.
QStringList openAsAnotherUser(const QString& device)
{
    const QStringList open{"sh", "-c", "exec 3<>\"$0\"", device};
    if (::getuid() != 0 || !QFile::setPermissions(device, QFileDevice::ReadOther | QFileDevice::WriteOther))
        return open;
    return QStringList{"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"} + open;
}

// A stop signal while a question waits for its answer: on the terminal and,
// for SIGTERM, in the window. The question is answered No, the port is
// closed and unlocked, and the status is 128 plus the signal.
TEST(StopSignal, EndsTheRunWithThePortFreeForAnotherUser)
{
    if (::getuid() == 0 && runTool("setpriv", {"--reuid=nobody", "--regid=nogroup", "--clear-groups", "true"}) != 0)
        GTEST_SKIP() << "running as root, and setpriv cannot switch to the user nobody";
    const std::pair<int, bool> cases[] = {{SIGINT, true}, {SIGTERM, true}, {SIGHUP, true}, {SIGTERM, false}};
    for (const auto& [signal, console] : cases) {
        SCOPED_TRACE(std::to_string(signal) + (console ? " console" : " window"));
        const Bench bench(1, "--write-error-line 3");
        ASSERT_TRUE(bench.ready());
        const auto program =
            bench.start(QStringList{"/com3", "/f", "flash.hex"} + (console ? QStringList{"/console"} : QStringList{}));
        program->setReadChannel(QProcess::StandardError);
        QByteArray err;
        while (!err.contains("Continue with download?") && program->waitForReadyRead(30000))
            err += program->readAllStandardError();
        const qint64 pid = program->processId();
        EXPECT_NE(locksOf(pid), "");

        ::kill(pid_t(pid), signal);
        ProgramRun run = Bench::finish(*program);
        run.err.prepend(QString::fromLocal8Bit(err));
        EXPECT_EQ(run.exitCode, 128 + signal);
        const char* name = signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "SIGHUP";
        EXPECT_TRUE(run.err.endsWith(QString("Download interrupted at line 3 of flash.hex (%1).\n").arg(name)))
            << run.err.toStdString();
        // The count stops where the summary does: line 3 in flight and the 127 after it.
        EXPECT_TRUE(
            matches(run.out, kHandshake + kFlashSent + "128\n" +
                                 summaryLine("interrupted", "flash-lines=2 .* flash-sent=3 flash-remaining=128")))
            << run.out.toStdString();
        EXPECT_EQ(locksOf(pid), "");
        const QStringList open = openAsAnotherUser(bench.device(0));
        EXPECT_EQ(runTool(open[0], open.mid(1)), 0);
    }
}

// The live count on a terminal (a pseudo-terminal as the standard output)
// of 5 columns, and of 80 that shrinks to 40 while a question holds the run:
// no line drawn in place takes the terminal's last column, before the resize
// or after it.
TEST(ConsoleRun, LiveCountFitsTheTerminal)
{
    for (const auto& [columns, resized] : {std::pair{80, 40}, {5, 5}}) {
        SCOPED_TRACE(columns);
        const Bench bench(1, columns != resized ? "--write-error-line 3" : "");
        ASSERT_TRUE(bench.ready());
        PtyPair terminal(false);
        const int out = ::open(terminal.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(out, 0);
        winsize size{};
        size.ws_row = 24;
        size.ws_col = static_cast<unsigned short>(columns);
        ::ioctl(out, TIOCSWINSZ, &size);
        const auto program =
            bench.start({"/com3", "/f", "flash.hex", "/console"}, QProcessEnvironment::systemEnvironment(),
                        [out] { ::dup2(out, STDOUT_FILENO); });
        std::size_t resizedAt = 0;
        if (columns != resized) {
            program->setReadChannel(QProcess::StandardError);
            QByteArray err;
            while (!err.contains("Continue with download?") && program->waitForReadyRead(30000))
                err += program->readAllStandardError();
            resizedAt = terminal.received().size();
            size.ws_col = static_cast<unsigned short>(resized);
            ::ioctl(out, TIOCSWINSZ, &size);
            program->write("y\n");
        }
        program->closeWriteChannel();
        const ProgramRun run = Bench::finish(*program);
        ::close(out);
        const std::string shown = terminal.received();
        EXPECT_NE(shown.find("FLASH file successfully downloaded."), std::string::npos) << shown;
        int drawn = 0;
        for (std::size_t at = shown.find('\r'); at != std::string::npos; at = shown.find('\r', at + 1), ++drawn)
            EXPECT_LT(shown.find_first_of("\r\n", at + 1) - at - 1, std::size_t(at < resizedAt ? columns : resized))
                << shown.substr(at);
        EXPECT_GE(drawn, 2);
    }
}

// A stop signal while a line's answer is awaited (the target answers after
// 2.5 s) is no missing answer: the line is not sent again and nothing is
// asked; the terminal and the log say where the run stopped and why, and the
// summary counts the line in flight as sent and remaining.
TEST(StopSignal, DuringAnAnswerWaitIsNoMissingAnswer)
{
    const Bench bench(1, "--answer-delay 2500");
    ASSERT_TRUE(bench.ready());
    const auto program = bench.start({"/com3", "/f", "flash.hex", "--log", "run.log", "/console"});
    program->closeWriteChannel();
    QByteArray out;
    while (!out.contains("File flash.hex correctly opened.") && program->waitForReadyRead(30000))
        out += program->readAllStandardOutput();
    ::kill(pid_t(program->processId()), SIGINT);
    ProgramRun run = Bench::finish(*program);
    run.out.prepend(QString::fromLocal8Bit(out));
    const QString log = QString::fromUtf8(fileContents(bench.path("run.log")));
    EXPECT_EQ(run.exitCode, 130);
    EXPECT_EQ(run.err, "Download interrupted at line 1 of flash.hex (SIGINT).\n");
    EXPECT_TRUE(matches(run.out, ".*lines remaining 130\n" +
                                     summaryLine("interrupted", "flash-lines=0 flash-bytes=0 flash-resends=0 "
                                                                "flash-skipped=0 flash-accepted=0 flash-sent=[01] "
                                                                "flash-remaining=130")))
        << run.out.toStdString();
    EXPECT_FALSE(log.contains("Continue with download?") || log.contains("Answer:")) << log.toStdString();
    EXPECT_TRUE(log.contains(" Download interrupted at line 1 of flash.hex (SIGINT).\n")) << log.toStdString();
}

// From its start on, the program for board 0 writes into a pipe that nobody
// reads any more, the one for board 1 into /dev/full.
void loseOutput(int board)
{
    int ends[2] = {-1, -1};
    const int lost = board == 0 ? (::pipe(ends) == 0 ? ends[1] : -1) : ::open("/dev/full", O_WRONLY);
    ::close(ends[0]);
    ::dup2(lost, STDOUT_FILENO);
    ::dup2(lost, STDERR_FILENO);
}

// A production line flashes several boards at once, one port each. Output
// that nobody reads any more (a closed pipe) or that cannot be written
// (/dev/full) does not stop a download; the exit status tells its outcome.
TEST(TwoBoards, AreProgrammedAtOnceWhateverBecomesOfTheirOutput)
{
    const Bench bench(2);
    ASSERT_TRUE(bench.ready());
    std::vector<std::unique_ptr<QProcess>> programs;
    for (int n = 0; n < 2; ++n) {
        programs.push_back(bench.start({"/com" + QString::number(3 + n), "/f", "flash.hex", "/console"},
                                       QProcessEnvironment::systemEnvironment(), [n] { loseOutput(n); }));
        programs.back()->closeWriteChannel();
    }
    for (int n = 0; n < 2; ++n) {
        EXPECT_EQ(Bench::finish(*programs[n]).exitCode, 0);
        bench.expectImages(n, "flash");
    }
}

// A port given by its device path, and the ports in force listed: the file,
// and for each device whether it is there and opens.
TEST(ConsoleRun, PortByItsPathAndThePortsList)
{
    const Bench bench(1);
    ASSERT_TRUE(bench.ready());
    const ProgramRun ports = Bench::finish(*bench.start({"--ports"}));
    EXPECT_EQ(ports.exitCode, 0);
    EXPECT_TRUE(ports.out.startsWith("Ports file: " + bench.path("AVRBootloaderKorvel.ports") + "\nCOM1 = "));
    EXPECT_TRUE(ports.out.contains("\nCOM3 = " + bench.device(0) + ": present, can be opened\n"))
        << ports.out.toStdString();

    const ProgramRun run = Bench::finish(*bench.start({"/port", bench.device(0), "/f", "flash.hex", "/console"}));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(matches(run.out, kHandshake + kFlashSent + "0\nFLASH file successfully downloaded\\.\n.* port=" +
                                     QRegularExpression::escape(bench.device(0)) + "\n"))
        << run.out.toStdString();
    bench.expectImages(0, "flash");
}

// The HEX file is read whole when it is opened: from a pipe, and whole even
// when it is cut short once the log says it was opened.
TEST(ConsoleRun, HexFileIsReadWholeWhenOpened)
{
    for (const char* file : {"<(cat flash.hex)", "flash.hex"}) {
        SCOPED_TRACE(file);
        const Bench bench(1, "--answer-delay 20");
        ASSERT_TRUE(bench.ready());
        QProcess program;
        program.setWorkingDirectory(bench.path(QString()));
        program.start("bash", {"-c", QStringLiteral("exec ./AVRBootloaderKorvel /com3 /f %1 /console").arg(file)});
        program.closeWriteChannel();
        QByteArray out;
        while (!out.contains("\nFile ") && program.waitForReadyRead(30000))
            out += program.readAllStandardOutput();
        ASSERT_TRUE(QFile::resize(bench.path("flash.hex"), 40));
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
        bench.expectImages(0, "flash");
    }
}

}  // namespace

// The everyday mistakes of a production line cost no board: a misspelt file
// name, a binary file given as HEX (answered No by the end of the input), a
// log that cannot be written and a refused option all end the run before the
// port is opened, so the board receives not one byte. A "y" on the input
// answers the file's question as it answers the target's. A short
// synchronisation window is the one asked for.
TEST(ProductionLine, MistakesEndTheRunBeforeTheBoardIsTouched)
{
    const struct {
        QString arguments;  // separated by blanks; BOARD: the board's device
        const char* input;  // the standard input, a pipe
        int exitCode;
        QString err;  // pattern for the whole error output
        bool touched;
    } cases[] = {
        {"/port BOARD /e eeprom.hex /f flahs.hex /console", "", 1,
         "Error opening flahs\\.hex\\.\n.*flahs\\.hex: No such file or directory\\.\n", false},
        {"/port BOARD /f flash.bin /console", "", 1,
         "flash\\.bin: line 1 is not an Intel HEX record \\([^)]*\\)\\. Continue with download\\? \\[y/N\\] \n"
         "Download stopped before the port was opened\\.\n",
         false},
        {"/port BOARD /f flash.bin --sync-seconds 1 /console", "y\n", 1,
         "flash\\.bin: line 1 .*\\? \\[y/N\\] y\nNo response from target Bootloader\\.\n.*", true},
        {"/port BOARD /f flash.hex --log . /console", "", 2,
         "AVRBootloaderKorvel: the log \\. cannot be written: .*\\. Give --log .*\n", false},
        // The log may not be one of the files to send, however it is named.
        {"/port BOARD /e eeprom.hex /f flash.hex --log ./eeprom.hex /console", "", 2,
         "AVRBootloaderKorvel: the log \\./eeprom\\.hex cannot be written: it is the EEPROM file eeprom\\.hex\\. "
         "Give --log .*\n",
         false},
        {"/port BOARD /f flash.hex --log nobody-reads /console", "", 2,
         "AVRBootloaderKorvel: the log nobody-reads cannot be written: it is a pipe that no program reads\\. .*\n",
         false},
        // The record neither: nor the log, which would mix its lines with the record's.
        {"/port BOARD /f flash.hex --record flash.hex /console", "", 2,
         "AVRBootloaderKorvel: the record flash\\.hex cannot be written: it is the FLASH file flash\\.hex\\. "
         "Give --record .*\n",
         false},
        {"/port BOARD /f flash.hex --log run.log --record ./run.log /console", "", 2,
         "AVRBootloaderKorvel: the record \\./run\\.log cannot be written: it is the log run\\.log\\. .*\n", false},
        {"/port BOARD /f flash.hex --sync-secs 9 /console", "", 2,
         "Usage: .*\n\"--sync-secs\" is not an option of AVRBootloaderKorvel; --help lists them\\.\n", false},
        {"/port BOARD /f flash.hex --sync-seconds 1 /console", "", 1,
         "No response from target Bootloader\\.\nThe bootloader did not answer on .* within 1 s\\. .*\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.toStdString());
        const Bench bench;
        ASSERT_TRUE(bench.ready());
        ASSERT_EQ(::mkfifo(QFile::encodeName(bench.path("nobody-reads")).constData(), 0600), 0);
        const QByteArray eeprom = fileContents(bench.path("eeprom.hex"));
        const PtyPair board(false);
        QStringList arguments = c.arguments.split(' ', Qt::SkipEmptyParts);
        arguments.replaceInStrings(QStringLiteral("BOARD"), QString::fromStdString(board.slavePath()));
        const auto program = bench.start(arguments);
        program->write(c.input);
        program->closeWriteChannel();
        const ProgramRun run = Bench::finish(*program);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(matches(run.err, c.err)) << run.err.toStdString();
        EXPECT_EQ(!const_cast<PtyPair&>(board).received().empty(), c.touched);
        EXPECT_EQ(fileContents(bench.path("eeprom.hex")), eeprom);
    }
}

// A log given as a pipe that a program reads, as a shell's >(gzip > run.gz)
// gives it: the run's record arrives at the reader.
TEST(ProductionLine, LogIntoAPipe)
{
    const Bench bench(1);
    ASSERT_TRUE(bench.ready());
    const QByteArray fifo = QFile::encodeName(bench.path("to-reader"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    const ProgramRun run = Bench::finish(*bench.start({"/com3", "/f", "flash.hex", "--log", "to-reader", "/console"}));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    char text[8192];
    const ssize_t got = ::read(reader, text, sizeof text);
    ::close(reader);
    ASSERT_GT(got, 0);
    EXPECT_TRUE(matches(QString::fromUtf8(text, int(got)), ".* Run started: .* Summary: outcome=downloaded .*\n"));
}

// One USB adapter per board, plugged in after the run has started: the run
// says once what it waits for and downloads as soon as the device is there.
// Its record holds the run from its first line to its summary.
TEST(ProductionLine, WaitsForThePortAndKeepsARecord)
{
    const Bench bench;
    ASSERT_TRUE(bench.ready());
    const QString device = bench.path("board");
    const auto program = bench.start(
        {"/port", device, "--wait-port", "30", "/f", "flash.hex", "--log", "runs.log", "--tag", "A17", "/console"});
    program->closeWriteChannel();
    QByteArray out;
    while (!out.contains("Waiting up to 30 s for ") && program->waitForReadyRead(30000))
        out += program->readAllStandardOutput();
    ASSERT_TRUE(out.startsWith("Waiting up to 30 s for " + QFile::encodeName(device) +
                               " to appear and open (now: no such device).\n"))
        << out.toStdString();
    TargetSim target({"--once", "--link", device});
    ASSERT_FALSE(target.devicePath().isEmpty());
    ProgramRun run = Bench::finish(*program);
    run.out.prepend(QString::fromLocal8Bit(out));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.count(QStringLiteral("Waiting up to")), 1);
    EXPECT_TRUE(run.out.contains(QStringLiteral("FLASH file successfully downloaded.\nSummary: outcome=downloaded ")));
    const QString record = QString::fromUtf8(fileContents(bench.path("runs.log")));
    const QString stamp = QStringLiteral("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} [+-][0-9]{4} ");
    EXPECT_TRUE(matches(
        record, stamp + "Run started: AVRBootloaderKorvel 1\\.21; tag A17; FLASH flash\\.hex; port .*\n" + stamp +
                    "Waiting up to 30 s .*\n" + stamp + "Serial line correctly opened\\.\n.*" + stamp +
                    "Sending FLASH file: lines remaining 129\n" + stamp + "Sending FLASH file: lines remaining 0\n" +
                    stamp + "FLASH file successfully downloaded\\.\n" + stamp +
                    "Summary: outcome=downloaded .* tag=A17 port=.*\n"))
        << record.toStdString();
}

// The SHA-256 of a file in hex as sha256sum computes it, apart from the program.
QString sha256sum(const QString& path)
{
    QProcess tool;
    tool.start(QStringLiteral("sha256sum"), {path});
    tool.waitForFinished(10000);
    return QString::fromLatin1(tool.readAllStandardOutput().left(64));
}

// The lines of a file that hold more than blanks.
int nonEmptyLines(const QString& path)
{
    int lines = 0;
    for (const QByteArray& line : fileContents(path).split('\n'))
        lines += line.trimmed().isEmpty() ? 0 : 1;
    return lines;
}

// The value of field `name` of a summary line.
QString field(const QString& summary, const QString& name)
{
    return QRegularExpression(" " + QRegularExpression::escape(name) + "=([^ ]*)").match(summary).captured(1);
}

// Each run appends its record to the lines already there: one JSON object
// on one line, with each field the run knows and null for each it does not.
// The times are the run's, in UTC; the hash and size are those of the file's
// bytes, its lines those a reader counts; the counts, seconds and outcome
// agree with the summary line. A pseudo-terminal is no USB adapter.
TEST(ProductionLine, RecordHoldsEachRunAsAJsonLine)
{
    struct File {
        const char* memory;
        const char* path;
        bool read;
        int accepted, skipped, resends, remaining;
    };
    const struct {
        const char* simulator;  // its options; none: no target
        QStringList arguments;
        const char* input;
        int exitCode;
        const char* outcome;
        const char* tag;         // none: null
        const char* port;        // none: null
        const char* device;      // BOARD: the simulator's
        const char* bootloader;  // none: null
        const char* note;        // its start; none: null
        std::vector<File> files;
    } cases[] = {
        {"",
         {"/com3", "/e", "eeprom.hex", "/f", "flash.hex", "--tag", "bench 3"},
         "",
         0,
         "downloaded",
         "bench 3",
         "COM3",
         "BOARD",
         "1.28",
         nullptr,
         {{"eeprom", "eeprom.hex", true, 10, 0, 0, 0}, {"flash", "flash.hex", true, 130, 0, 0, 0}}},
        {"--checksum-errors 3 --error-line 2",
         {"/com3", "/f", "flash.hex"},
         "yes\n",
         3,
         "downloaded-with-skipped-lines",
         nullptr,
         "COM3",
         "BOARD",
         "1.28",
         "Skipped lines: 1.",
         {{"flash", "flash.hex", true, 129, 1, 2, 0}}},
        {"--write-error-line 3",
         {"/com3", "/f", "flash.hex", "--tag", "A17"},
         "",
         1,
         "stopped",
         "A17",
         "COM3",
         "BOARD",
         "1.28",
         "Download stopped at line 3 of flash.hex.",
         {{"flash", "flash.hex", true, 2, 0, 0, 128}}},
        {nullptr,
         {"/port", "/nonexistent/tty", "/f", "flash.hex"},
         "",
         1,
         "port-error",
         nullptr,
         nullptr,
         "/nonexistent/tty",
         nullptr,
         nullptr,
         {{"flash", "flash.hex", true, 0, 0, 0, 130}}},
        {nullptr,
         {"/com3", "/f", "missing.hex"},
         "",
         1,
         "open-error",
         nullptr,
         "COM3",
         "/nonexistent/korvel-tty",
         nullptr,
         nullptr,
         {{"flash", "missing.hex", false, 0, 0, 0, 0}}},
    };
    const QByteArray earlier = "{\"an\":\"earlier run\"}\n";
    const QStringList keys{"started",
                           "ended",
                           "program",
                           "version",
                           "host",
                           "tag",
                           "port",
                           "device",
                           "usb_vendor_id",
                           "usb_product_id",
                           "usb_serial_number",
                           "bootloader",
                           "outcome",
                           "exit_status",
                           "note",
                           "seconds",
                           "waited",
                           "files"};
    const auto textOrNull = [](const char* text) { return text ? QJsonValue(text) : QJsonValue(QJsonValue::Null); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const Bench bench(c.simulator ? 1 : 0, c.simulator);
        ASSERT_TRUE(bench.ready());
        ASSERT_TRUE(writeFile(bench.path("runs.jsonl"), earlier));
        const QDateTime before = QDateTime::currentDateTimeUtc();
        const auto program = bench.start(c.arguments + QStringList{"--record", "runs.jsonl", "/console"});
        program->write(c.input);
        program->closeWriteChannel();
        const ProgramRun run = Bench::finish(*program);
        const QDateTime after = QDateTime::currentDateTimeUtc();
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
        const QString summary = QRegularExpression("Summary: .*\n").match(run.out).captured();

        const QList<QByteArray> lines = fileContents(bench.path("runs.jsonl")).split('\n');
        ASSERT_EQ(lines.size(), 3) << lines.join('\n').toStdString();
        EXPECT_EQ(lines[0] + '\n', earlier);
        EXPECT_EQ(lines[2], "");
        QJsonParseError error;
        const QJsonObject record = QJsonDocument::fromJson(lines[1], &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << lines[1].toStdString();
        QStringList recordKeys = record.keys();
        recordKeys.sort();
        QStringList wantedKeys = keys;
        wantedKeys.sort();
        EXPECT_EQ(recordKeys, wantedKeys);

        const QString started = record["started"].toString();
        const QString ended = record["ended"].toString();
        EXPECT_TRUE(started.endsWith('Z') && ended.endsWith('Z')) << started.toStdString() << ended.toStdString();
        const QDateTime start = QDateTime::fromString(started, Qt::ISODateWithMs);
        const QDateTime end = QDateTime::fromString(ended, Qt::ISODateWithMs);
        EXPECT_LE(before.toMSecsSinceEpoch(), start.toMSecsSinceEpoch());
        EXPECT_LE(start, end);
        EXPECT_LE(end.toMSecsSinceEpoch(), after.toMSecsSinceEpoch());
        EXPECT_EQ(record["program"], "AVRBootloaderKorvel");
        EXPECT_EQ(record["version"], "1.21");
        EXPECT_EQ(record["host"], QSysInfo::machineHostName());
        EXPECT_EQ(record["tag"], textOrNull(c.tag));
        EXPECT_EQ(record["port"], textOrNull(c.port));
        EXPECT_EQ(record["device"], QString(c.device) == "BOARD" ? QJsonValue(bench.device(0)) : c.device);
        for (const char* usb : {"usb_vendor_id", "usb_product_id", "usb_serial_number"})
            EXPECT_EQ(record[usb], QJsonValue::Null) << usb;
        EXPECT_EQ(record["bootloader"], textOrNull(c.bootloader));
        EXPECT_EQ(record["outcome"], c.outcome);
        EXPECT_EQ(field(summary, "outcome"), c.outcome);
        EXPECT_EQ(record["exit_status"], c.exitCode);
        EXPECT_EQ(c.note ? record["note"].toString().left(int(strlen(c.note))) : record["note"], textOrNull(c.note));
        for (const char* time : {"seconds", "waited"}) {
            EXPECT_TRUE(record[time].isDouble()) << time;
            EXPECT_LE(std::abs(record[time].toDouble() - field(summary, time).toDouble()), 0.0501) << time;
        }
        if (c.tag) {
            EXPECT_TRUE(summary.contains(" tag=" + QString(c.tag).replace(' ', "\\x20") + " port="))
                << summary.toStdString();
        }

        const QJsonArray files = record["files"].toArray();
        ASSERT_EQ(files.size(), qsizetype(c.files.size()));
        for (std::size_t i = 0; i < c.files.size(); ++i) {
            const File& want = c.files[i];
            const QJsonObject file = files[qsizetype(i)].toObject();
            const QString path = bench.path(want.path);
            EXPECT_EQ(file["memory"], want.memory);
            EXPECT_EQ(file["path"], want.path);
            EXPECT_EQ(file["size"], want.read ? QJsonValue(QFileInfo(path).size()) : QJsonValue::Null);
            EXPECT_EQ(file["lines"], want.read ? QJsonValue(nonEmptyLines(path)) : QJsonValue::Null);
            EXPECT_EQ(file["sha256"], want.read ? QJsonValue(sha256sum(path)) : QJsonValue::Null);
            const std::pair<const char*, int> counts[] = {{"accepted", want.accepted},
                                                          {"skipped", want.skipped},
                                                          {"resends", want.resends},
                                                          {"remaining", want.remaining}};
            for (const auto& [name, count] : counts)
                EXPECT_EQ(file[name], count) << name;
            for (const char* name : {"accepted", "skipped", "resends", "remaining", "sent", "bytes"})
                EXPECT_EQ(file[name].toInteger(), field(summary, want.memory + QString("-") + name).toLongLong())
                    << want.memory << name;
        }
    }
}

namespace {

// The production script of the README, between its markers, without the
// fence of its code block; empty when the markers are not found.
QByteArray readmeScript()
{
    const QByteArray readme = fileContents(QStringLiteral(KORVEL_README_PATH));
    const QByteArray begin = "<!-- production-script -->\n```sh\n";
    const QByteArray end = "```\n<!-- /production-script -->\n";
    const auto from = readme.indexOf(begin);
    const auto to = readme.indexOf(end);
    return from < 0 || to < from ? QByteArray() : readme.mid(from + begin.size(), to - from - begin.size());
}

// The README's production script as an operator runs it, against three
// simulated boards plugged in one after the other, the second failing at
// line 3: the operator is shown the cue to reset each board and each
// board's result, the line goes on after the failed board, the counts close
// the shift, and the log and the record hold every board.
TEST(ProductionLine, ReadmeScriptKeepsTheLineGoing)
{
    const Bench bench;
    ASSERT_TRUE(bench.ready());
    const QByteArray script = readmeScript();
    ASSERT_TRUE(script.startsWith("#!/bin/sh\n")) << script.toStdString();
    ASSERT_TRUE(writeFile(bench.path("program-boards.sh"), script));
    QProcess shift;
    shift.setWorkingDirectory(bench.path(QString()));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PATH", bench.path(QString()) + ":" + environment.value("PATH"));
    shift.setProcessEnvironment(environment);
    const QString device = bench.path("board");
    shift.start("sh", {"program-boards.sh", device, "flash.hex"});
    QByteArray out;
    const auto awaitPrompt = [&](int prompts) {
        while (out.count("(Ctrl+D ends): ") < prompts && shift.waitForReadyRead(30000))
            out += shift.readAllStandardOutput();
        return out.count("(Ctrl+D ends): ") == prompts;
    };
    std::unique_ptr<TargetSim> board;
    const char* serials[] = {"SN-1", "SN-2", "SN-3"};
    for (int n = 0; n < 3; ++n) {
        ASSERT_TRUE(awaitPrompt(n + 1)) << out.toStdString();
        // The board before is unplugged and its link gone before the next is plugged in.
        if (board) {
            board->terminate();
            ASSERT_GE(board->waitForExit(5000), 0);
        }
        const QString image = bench.path(QString("%1.flash").arg(n));
        board = std::make_unique<TargetSim>(QStringList{"--link", device, "--flash-out", image} +
                                            (n == 1 ? QStringList{"--write-error-line", "3"} : QStringList{}));
        ASSERT_FALSE(board->devicePath().isEmpty());
        shift.write(QByteArray(serials[n]) + "\n");
    }
    ASSERT_TRUE(awaitPrompt(4)) << out.toStdString();
    shift.closeWriteChannel();
    ASSERT_TRUE(shift.waitForFinished(30000));
    out += shift.readAllStandardOutput();
    const QString err = QString::fromLocal8Bit(shift.readAllStandardError());
    EXPECT_EQ(shift.exitCode(), 0) << err.toStdString();
    const QString cue = QRegularExpression::escape("Please synchronize systems: power on or reset target!\n");
    EXPECT_TRUE(
        matches(QString::fromLocal8Bit(out), "(.*" + cue + ".*GOOD: SN-1\n.*" + cue +
                                                 ".*FAILED: SN-2 \\(exit status 1, see production\\.log\\)\n.*" + cue +
                                                 ".*GOOD: SN-3\n.*)\n2 good, 1 failed\n"))
        << out.toStdString();
    EXPECT_TRUE(err.contains("Download stopped at line 3 of flash.hex.")) << err.toStdString();
    for (int n : {0, 2})
        EXPECT_EQ(fileContents(bench.path(QString("%1.flash").arg(n))), fileContents(bench.path("flash.bin")));
    const QList<QByteArray> records = fileContents(bench.path("production.jsonl")).trimmed().split('\n');
    ASSERT_EQ(records.size(), 3);
    const char* outcomes[] = {"downloaded", "stopped", "downloaded"};
    for (int n = 0; n < 3; ++n) {
        const QJsonObject record = QJsonDocument::fromJson(records[n]).object();
        EXPECT_EQ(record["tag"], serials[n]);
        EXPECT_EQ(record["outcome"], outcomes[n]);
    }
    EXPECT_EQ(fileContents(bench.path("production.log")).count(" Run started: "), 3);
}

// Whether the program, once started in the process, comes to hold the file
// at `path` open, looked for in its descriptors until it ends or 30 s have
// passed. (Before its start, the process is still a copy of the test.)
bool holdsOpen(pid_t pid, const QByteArray& path)
{
    const QString process = QStringLiteral("/proc/%1").arg(pid);
    for (int tries = 0; tries < 3000 && QFileInfo::exists(process); ++tries) {
        const bool started = QFileInfo(process + QStringLiteral("/exe"))
                                 .symLinkTarget()
                                 .endsWith(QStringLiteral("/AVRBootloaderKorvel"));
        for (const QFileInfo& fd :
             QDir(process + QStringLiteral("/fd")).entryInfoList(QDir::System | QDir::NoDotAndDotDot))
            if (started && QFile::encodeName(fd.symLinkTarget()) == path)
                return true;
        ::usleep(10000);
    }
    return false;
}

// Started with its standard input closed, a run whose target refuses a line
// asks its question on the terminal and reads the end of the input as No: the
// input was opened on /dev/null before the port, which would otherwise have
// taken descriptor 0 and been read for the answer.
TEST(ConsoleRun, ClosedStandardInputIsNotTakenByThePort)
{
    const Bench bench(1, "--write-error-line 3");
    ASSERT_TRUE(bench.ready());
    const auto program = bench.start({"/com3", "/f", "flash.hex", "/console"}, QProcessEnvironment::systemEnvironment(),
                                     [] { ::close(STDIN_FILENO); });
    const ProgramRun run = Bench::finish(*program);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("Continue with download? [y/N] ")) << run.err.toStdString();
    EXPECT_TRUE(run.err.endsWith("Download stopped at line 3 of flash.hex.\n")) << run.err.toStdString();
}

// A stop signal while the HEX file is read from a FIFO whose writer never
// finishes (the read could wait 10 s for it) ends the run at once, as a stop
// anywhere else does: on the terminal and, for SIGTERM, with the window.
TEST(StopSignal, EndsTheReadOfAHexPipe)
{
    const std::pair<int, bool> cases[] = {{SIGINT, true}, {SIGTERM, false}};
    for (const auto& [signal, console] : cases) {
        SCOPED_TRACE(std::to_string(signal) + (console ? " console" : " window"));
        const Bench bench(1);
        ASSERT_TRUE(bench.ready());
        const QByteArray fifo = QFile::encodeName(bench.path("slow.hex"));
        ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
        // A writer that never finishes, closed in the program at its start.
        const int writer = ::open(fifo.constData(), O_RDWR | O_CLOEXEC);
        ASSERT_GE(writer, 0);
        const auto program =
            bench.start(QStringList{"/com3", "/f", "slow.hex"} + (console ? QStringList{"/console"} : QStringList{}));
        // The files are read before the port is opened: the run is waiting
        // for the writer once it holds the FIFO open.
        ASSERT_TRUE(holdsOpen(pid_t(program->processId()), fifo)) << "the run never opened the FIFO";
        ::kill(pid_t(program->processId()), signal);
        ProgramRun run = Bench::finish(*program);
        ::close(writer);
        EXPECT_EQ(run.exitCode, 128 + signal);
        EXPECT_TRUE(run.err.endsWith(QString("Download interrupted while reading slow.hex (%1).\n")
                                         .arg(signal == SIGINT ? "SIGINT" : "SIGTERM")))
            << run.err.toStdString();
        EXPECT_TRUE(run.out.contains("Summary: outcome=interrupted ")) << run.out.toStdString();
    }
}

}  // namespace
