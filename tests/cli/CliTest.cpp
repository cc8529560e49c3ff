// The program run from a script: console mode against the target simulator on
// a pseudo-terminal, checked by its standard output, error output and exit status.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

#include "Tools.h"

namespace {

const int kSimulatorExitLimitMs = 5000;
const QByteArray kSettings = "0\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n";
const QString kHandshakeLog = QStringLiteral("Serial line correctly opened.\n"
                                             "Please synchronize systems: power on or reset target!\n"
                                             "Contacted target Bootloader Ver. 1.28\n");
const QString kFlashSent = QStringLiteral("File flash.hex correctly opened.\nSending FLASH file: lines remaining ");

struct ProgramRun {
    int exitCode = -1;  // -1: crashed or still running after the limit
    QString out;
    QString err;
};

// A folder holding a copy of the program, a valid settings file and a ports
// file that maps COM3 to `device`; the program runs with it as its working
// directory.
class ProgramFolder {
public:
    explicit ProgramFolder(const QString& device = QStringLiteral("/nonexistent/korvel-tty"))
    {
        QFile::copy(QStringLiteral(KORVEL_PROGRAM_PATH), path("AVRBootloaderKorvel"));
        writeFile(path("AVRBootloaderKorvel.ports"), "COM3=" + QFile::encodeName(device) + "\n");
        writeFile(path("AVRBootloaderKorvel.cfg"), kSettings);
    }

    QString path(const QString& name) const { return folder_.filePath(name); }

    ProgramRun run(const QStringList& arguments, const QByteArray& input = {},
                   const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) const
    {
        QProcess program;
        program.setWorkingDirectory(folder_.path());
        program.setProcessEnvironment(environment);
        program.start(path("AVRBootloaderKorvel"), arguments);
        program.write(input);
        program.closeWriteChannel();
        ProgramRun run;
        if (!program.waitForFinished(30000))
            program.kill();
        else if (program.exitStatus() == QProcess::NormalExit)
            run.exitCode = program.exitCode();
        run.out = QString::fromLocal8Bit(program.readAllStandardOutput());
        run.err = QString::fromLocal8Bit(program.readAllStandardError());
        return run;
    }

private:
    QTemporaryDir folder_;
};

QStringList withConsole(QStringList arguments)
{
    return arguments << QStringLiteral("/console");
}

struct SuccessCase {
    const char* name;
    const char* flash;   // argument after "/f"; none when null
    const char* eeprom;  // argument after "/e"; none when null
    const char* log;     // after the handshake lines
    const char* message;
};

class SuccessfulRun : public ::testing::TestWithParam<SuccessCase> {};

TEST_P(SuccessfulRun, LogsToStandardOutputWritesTheImagesAndExitsWithZero)
{
    const SuccessCase& c = GetParam();
    QTemporaryDir images;
    TargetSim target({QStringLiteral("--once"), QStringLiteral("--flash-out"), images.filePath("flash.img"),
                      QStringLiteral("--eeprom-out"), images.filePath("eeprom.img")});
    ASSERT_FALSE(target.devicePath().isEmpty());
    ProgramFolder folder(target.devicePath());
    const QString dir = folder.path(QString());
    ASSERT_FALSE(makeHex(dir, "flash", 512, 7).isEmpty());
    ASSERT_FALSE(makeHex(dir, "eeprom data", 64, 11, 8).isEmpty());

    QStringList arguments{QStringLiteral("/com3")};
    if (c.eeprom)
        arguments << QStringLiteral("/e") << QString::fromLatin1(c.eeprom);
    if (c.flash)
        arguments << QStringLiteral("/f") << QString::fromLatin1(c.flash);
    const ProgramRun run = folder.run(withConsole(arguments));

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, kHandshakeLog + c.log + c.message + "\n");
    EXPECT_EQ(run.err, QString());
    EXPECT_EQ(fileContents(folder.path("AVRBootloaderKorvel.cfg")), kSettings);

    ASSERT_EQ(target.waitForExit(kSimulatorExitLimitMs), 0);
    // The simulator writes an empty image of a memory that received nothing.
    EXPECT_EQ(fileContents(images.filePath("flash.img")),
              c.flash ? fileContents(folder.path("flash.bin")) : QByteArray());
    EXPECT_EQ(fileContents(images.filePath("eeprom.img")),
              c.eeprom ? fileContents(folder.path("eeprom data.bin")) : QByteArray());
}

INSTANTIATE_TEST_SUITE_P(
    Console, SuccessfulRun,
    ::testing::Values(SuccessCase{"FlashOnly", "flash.hex", nullptr,
                                  "File flash.hex correctly opened.\nSending FLASH file: lines remaining 0\n",
                                  "FLASH file successfully downloaded."},
                      SuccessCase{"EepromOnlyWithBlanksInTheName", nullptr, "eeprom data.hex",
                                  "File eeprom data.hex correctly opened.\nSending EEPROM file: lines remaining 0\n",
                                  "EEPROM file successfully downloaded."},
                      SuccessCase{"Both", "flash.hex", "eeprom data.hex",
                                  "File eeprom data.hex correctly opened.\nSending EEPROM file: lines remaining 0\n"
                                  "File flash.hex correctly opened.\nSending FLASH file: lines remaining 0\n",
                                  "FLASH & EEPROM files successfully downloaded."}),
    [](const ::testing::TestParamInfo<SuccessCase>& info) { return info.param.name; });

struct TroubleCase {
    const char* name;
    QStringList simulator;
    QByteArray input;
    int exitCode;
    QString out;  // a pattern for the whole output
    QString err;  // a pattern for the whole error output
};

class TroubledRun : public ::testing::TestWithParam<TroubleCase> {};

TEST_P(TroubledRun, EndsWithItsMessageOnTheErrorOutput)
{
    const TroubleCase& c = GetParam();
    TargetSim target(c.simulator);
    ASSERT_FALSE(target.devicePath().isEmpty());
    ProgramFolder folder(target.devicePath());
    ASSERT_FALSE(makeHex(folder.path(QString()), "flash", 64, 3).isEmpty());

    const ProgramRun run = folder.run(withConsole({"/com3", "/f", "flash.hex"}), c.input);
    EXPECT_EQ(run.exitCode, c.exitCode);
    const auto matches = [](const QString& text, const QString& pattern) {
        return QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(text).hasMatch();
    };
    EXPECT_TRUE(matches(run.out, c.out)) << run.out.toStdString();
    EXPECT_TRUE(matches(run.err, c.err)) << run.err.toStdString();
    EXPECT_EQ(fileContents(folder.path("AVRBootloaderKorvel.cfg")), kSettings);
}

const QString kHandshake = QRegularExpression::escape(kHandshakeLog);
const QString kSent = QRegularExpression::escape(kFlashSent);

INSTANTIATE_TEST_SUITE_P(
    Console, TroubledRun,
    ::testing::Values(
        TroubleCase{"SilentTarget",
                    {"--silent"},
                    {},
                    1,
                    "Serial line correctly opened\\.\nPlease synchronize systems: power on or reset target!\n",
                    "No response from target Bootloader\\.\n[^\n]+\n"},
        TroubleCase{"ChecksumQuestionAnsweredYes",
                    {"--checksum-errors", "3", "--error-line", "2"},
                    "yes\n",
                    0,
                    kHandshake + kSent + "0\nFLASH file successfully downloaded\\.\n",
                    "Checksum error at line 2\\. Continue with download\\? \\[y/N\\] yes\n"},
        TroubleCase{"WriteErrorQuestionAnsweredNo",
                    {"--write-error-line", "3"},
                    "n\n",
                    1,
                    kHandshake + kSent + "3\n",
                    "Error writing to flash at line 3\\. Continue with download\\? \\[y/N\\] n\n"},
        // A hang-up is a port error proper, with the port's own non-zero code,
        // and ends the run at once.
        TroubleCase{"HangUp",
                    {"--close-after", "3"},
                    {},
                    1,
                    kHandshake + kSent + "[0-9]+\n",
                    "Error while downloading the firmware file: [1-9][0-9]*\\.\n[^\n]+\n"},
        // An XOFF that no XON follows holds every later line; an older
        // bootloader's short waits still bring the run to its outcome.
        TroubleCase{"HeldOutput",
                    {"--xoff-after", "2", "--version", "1.0"},
                    {},
                    1,
                    "Serial line correctly opened\\.\nPlease synchronize systems: power on or reset target!\n"
                    "Contacted target Bootloader Ver\\. 1\n" +
                        kSent + "[0-9]+\n",
                    "Error while downloading file: No response from target Bootloader at end of file\\.\n"}),
    [](const ::testing::TestParamInfo<TroubleCase>& info) { return info.param.name; });

// Awkward HEX files, made from a generated one (CR LF line ends, 16-byte
// records, its first line the extended address record).
TEST(ConsoleRun, AwkwardInputFilesEndWithTheirOutcome)
{
    struct Case {
        const char* name;
        std::function<QByteArray(QList<QByteArray>)> input;  // from the generated lines
        int exitCode;
        QString errStart;
    };
    const auto joined = [](const QList<QByteArray>& lines) { return lines.join("\r\n") + "\r\n"; };
    const QString noEndOfFileAnswer =
        QStringLiteral("Error while downloading file: No response from target Bootloader at end of file.\n");
    const Case cases[] = {
        {"Empty", [](QList<QByteArray>) { return QByteArray(); }, 1, noEndOfFileAnswer},
        {"OnlyEmptyLines", [](QList<QByteArray>) { return QByteArray("\r\n\r\n\n\r"); }, 1, noEndOfFileAnswer},
        // The target skips bytes between records: the image arrives whole only
        // when no byte is lost or changed on the way.
        {"BinaryBytesAroundEveryRecord",
         [joined](QList<QByteArray> lines) {
             for (QByteArray& line : lines)
                 line = QByteArray("\0\x01\x80\xfe", 4) + line + QByteArray("\xff\0", 2);
             return joined(lines);
         },
         0, ""},
        {"LineOf100000Characters",
         [joined](QList<QByteArray> lines) {
             lines[1] = QByteArray(100000 - lines[1].size(), 'F') + lines[1];
             return joined(lines);
         },
         0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir images;
        TargetSim target({QStringLiteral("--once"), QStringLiteral("--flash-out"), images.filePath("flash.img")});
        ASSERT_FALSE(target.devicePath().isEmpty());
        ProgramFolder folder(target.devicePath());
        ASSERT_FALSE(makeHex(folder.path(QString()), "flash", 96, 4).isEmpty());
        QList<QByteArray> lines = fileContents(folder.path("flash.hex")).split('\n');
        lines.removeLast();
        for (QByteArray& line : lines)
            line.chop(1);
        ASSERT_TRUE(writeFile(folder.path("input.hex"), c.input(lines)));

        const ProgramRun run = folder.run(withConsole({"/com3", "/f", "input.hex"}));
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.err.left(c.errStart.size()), c.errStart);
        EXPECT_EQ(run.err.isEmpty(), c.errStart.isEmpty()) << run.err.toStdString();
        if (c.exitCode == 0) {
            ASSERT_EQ(target.waitForExit(kSimulatorExitLimitMs), 0);
            EXPECT_EQ(fileContents(images.filePath("flash.img")), fileContents(folder.path("flash.bin")));
        }
    }
}

// The HEX file is read whole when it is opened: from a pipe, and whole even
// when it is cut short once the log says it was opened.
TEST(ConsoleRun, HexFileIsReadWholeWhenOpened)
{
    for (const char* file : {"<(cat flash.hex)", "flash.hex"}) {
        SCOPED_TRACE(file);
        QTemporaryDir images;
        TargetSim target({"--once", "--answer-delay", "20", "--flash-out", images.filePath("flash.img")});
        ASSERT_FALSE(target.devicePath().isEmpty());
        ProgramFolder folder(target.devicePath());
        ASSERT_FALSE(makeHex(folder.path(QString()), "flash", 512, 9).isEmpty());
        QProcess program;
        program.setWorkingDirectory(folder.path(QString()));
        program.start("bash", {"-c", QStringLiteral("exec ./AVRBootloaderKorvel /com3 /f %1 /console").arg(file)});
        program.closeWriteChannel();
        QByteArray out;
        while (!out.contains("\nFile ") && program.waitForReadyRead(30000))
            out += program.readAllStandardOutput();
        ASSERT_TRUE(QFile::resize(folder.path("flash.hex"), 40));
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
        ASSERT_EQ(target.waitForExit(kSimulatorExitLimitMs), 0);
        EXPECT_EQ(fileContents(images.filePath("flash.img")), fileContents(folder.path("flash.bin")));
    }
}

// Without a display the program needs no "/console" to stay on the terminal;
// with a display that is named but has no server (:7919 here) it says so and
// goes on without windows.
TEST(ConsoleRun, RunsWithoutATargetEndWithTheirMessageAndExitStatus)
{
    const QProcessEnvironment offscreen = QProcessEnvironment::systemEnvironment();
    QProcessEnvironment none = offscreen;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        none.remove(QString::fromLatin1(name));
    QProcessEnvironment dead = none;
    dead.insert(QStringLiteral("DISPLAY"), QStringLiteral(":7919"));
    struct Case {
        QStringList arguments;
        const QProcessEnvironment& environment;
        int exitCode;
        QString outStart;
        QString errStart;
    };
    const QString usage =
        QStringLiteral("Usage: AVRBootloaderKorvel /comx [/f <FlashFileName> | /e <EEPROMFileName>]\n");
    const QString noPort = QStringLiteral("No COM port specified. Please use /com1 or /com2...\n");
    const QString portError = QStringLiteral("Error while accessing the com port.\n");
    const QString noWindows = QStringLiteral("AVRBootloaderKorvel: the windows need a display: ");
    const Case cases[] = {
        {{"/com3", "/console"}, offscreen, 2, "", usage},
        {{"/f", "app.hex", "/console"}, offscreen, 2, "", noPort},
        {{"/com3", "/F", "app.hex"}, none, 2, "", usage},
        {{"/com3", "/f", "app.hex", "/console"}, offscreen, 1, "", portError},
        {{"--help", "/console"}, offscreen, 0, usage, ""},
        {{"/?"}, none, 0, usage, ""},
        {{"--version"}, dead, 0, "AVRBootloaderKorvel 1.21\n", ""},
        {{}, none, 2, "", noWindows + "no display is set"},
        {{}, dead, 2, "", noWindows + "cannot open display :7919.\nTo download from a terminal: "},
        {{"/com3", "/f", "app.hex"},
         dead,
         1,
         "",
         "AVRBootloaderKorvel: cannot open display :7919; going on without windows.\n" + portError},
    };
    ProgramFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const ProgramRun run = folder.run(c.arguments, {}, c.environment);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.out.left(c.outStart.size()), c.outStart);
        EXPECT_EQ(run.err.left(c.errStart.size()), c.errStart);
        EXPECT_EQ(run.out.isEmpty(), c.outStart.isEmpty());
        EXPECT_EQ(run.err.isEmpty(), c.errStart.isEmpty());
        EXPECT_FALSE(run.out.contains(QLatin1Char('\r')));
    }
}

}  // namespace
