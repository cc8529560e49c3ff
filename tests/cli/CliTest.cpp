// The program run from a script: against the target simulator on a
// pseudo-terminal, checked by its standard output, error output and exit
// status, the images the target received and the port it leaves behind.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <unistd.h>

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

bool matches(const QString& text, const QString& pattern)
{
    const QRegularExpression whole(QRegularExpression::anchoredPattern(pattern),
                                   QRegularExpression::DotMatchesEverythingOption);
    return whole.match(text).hasMatch();
}

// The summary line of a run on COM3 with the counts of its files.
QString summaryLine(const QString& outcome, const QString& counts)
{
    return "Summary: outcome=" + outcome + " seconds=[0-9]+\\.[0-9] bootloader=1\\.28 " + counts + " port=COM3 = .+\n";
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
             summaryLine("downloaded", "eeprom-lines=10 eeprom-bytes=242 eeprom-resends=0 eeprom-skipped=0 "
                                       "flash-lines=130 flash-bytes=5530 flash-resends=0 flash-skipped=0"),
         ""},
        // A line skipped with Yes: the target says the download is done,
        // but the status tells a script that the image is incomplete.
        {"--checksum-errors 3 --error-line 2", "/com3 /f flash.hex /console", "yes\n", offscreen, 3,
         kHandshake + kFlashSent + "0\nFLASH file successfully downloaded\\.\n" +
             summaryLine("downloaded-with-skipped-lines", "flash-lines=130 .* flash-resends=2 flash-skipped=1"),
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
        {nullptr, "/port /nonexistent/tty /f flash.hex /console", "", offscreen, 1,
         "Summary: outcome=port-error .* port=/nonexistent/tty\n", "Error while accessing the com port\\.\n.*"},
        {nullptr, "/com3 /f flash.hex", "", dead, 1,
         "Summary: outcome=port-error .* bootloader=none flash-lines=0 .* port=COM3 = /nonexistent/korvel-tty\n",
         "AVRBootloaderKorvel: cannot open display :7919; going on without windows\\.\n"
         "Error while accessing the com port\\.\nCOM3 = /nonexistent/korvel-tty[^\n]*\n.*"},
        {nullptr, "--help /console", "", offscreen, 0,
         usage + "\n  --ports .*\n  3 +downloaded, but lines [^\n]* skipped\n.*\n  143 +interrupted by SIGTERM\n", ""},
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
        EXPECT_TRUE(run.err.endsWith("Download interrupted at line 3 of flash.hex.\n")) << run.err.toStdString();
        EXPECT_TRUE(matches(run.out, kHandshake + kFlashSent + "127\n" + summaryLine("interrupted", ".*")))
            << run.out.toStdString();
        EXPECT_EQ(locksOf(pid), "");
        const QStringList open = openAsAnotherUser(bench.device(0));
        EXPECT_EQ(runTool(open[0], open.mid(1)), 0);
    }
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
