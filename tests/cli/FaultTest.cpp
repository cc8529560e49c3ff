// Line faults and awkward input met by the program run from a script: console
// mode against korvel-targetsim, checked by the output, the exit status and,
// where the target took a whole file, by the memory image the target wrote.
#include "CliRig.h"

#include <QDir>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>

namespace {

const int kSimulatorExitLimitMs = 5000;
// Every run here ends well inside this; a wait without a bound does not.
const int kBoundedRunMs = 8000;
// A hang-up ends the run at once; unnoticed, it would cost three 3 s resends.
const int kPromptRunMs = 3000;

const QString kGeneralError = QStringLiteral("Error while downloading the firmware file: [0-9]+\\.\n");
// A port error proper carries the port's own, non-zero, event code.
const QString kPortError = QStringLiteral("Error while downloading the firmware file: [1-9][0-9]*\\.\n");
const QString kNoEndOfFileAnswer =
    QStringLiteral("Error while downloading file: No response from target Bootloader at end of file\\.\n");

QString literal(const QString& text)
{
    return QRegularExpression::escape(text);
}

QString handshakeLog(const QString& version)
{
    return literal(QStringLiteral("Serial line correctly opened.\n"
                                  "Please synchronize systems: power on or reset target!\n"
                                  "Contacted target Bootloader Ver. ")
                   + version + QLatin1Char('\n'));
}

QString fileLog(const char* kind, const QString& name, const QString& count)
{
    return literal(QStringLiteral("File ") + name + QStringLiteral(" correctly opened.\nSending ")
                   + QString::fromLatin1(kind) + QStringLiteral(" file: lines remaining "))
         + count + QStringLiteral("\n");
}

::testing::AssertionResult matchesWhole(const QString& text, const QString& pattern)
{
    if (QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(text).hasMatch())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << '"' << text.toStdString() << "\" does not match " << pattern.toStdString();
}

// A string literal's bytes, NUL bytes included.
template <int N>
QByteArray bytes(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

QStringList flashOnly(const QString& name)
{
    return {QStringLiteral("/com3"), QStringLiteral("/f"), name, QStringLiteral("/console")};
}

struct HangUpCase {
    const char* name;
    QStringList simulator;
    QStringList arguments;
    QString out;
};

void PrintTo(const HangUpCase& c, std::ostream* os)
{
    *os << c.name;
}

class HangUp : public ::testing::TestWithParam<HangUpCase> {};

TEST_P(HangUp, IsAPortErrorThatEndsTheRunAtOnce)
{
    const HangUpCase& c = GetParam();
    Simulator target(c.simulator);
    ASSERT_FALSE(target.devicePath().isEmpty());
    ProgramFolder folder;
    ASSERT_TRUE(folder.mapCom3(target.devicePath()));
    ASSERT_TRUE(folder.makeHex(QStringLiteral("flash"), 128, 5, 16));
    ASSERT_TRUE(folder.makeHex(QStringLiteral("eeprom"), 64, 6, 16));
    folder.setRunLimit(kPromptRunMs);

    const ProgramRun run = folder.run(c.arguments);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(matchesWhole(run.out, c.out));
    EXPECT_TRUE(matchesWhole(run.err, kPortError));
    EXPECT_EQ(target.waitForExit(kSimulatorExitLimitMs), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Console, HangUp,
    ::testing::Values(
        HangUpCase{"ResendingBootloader",
                   {"--close-after", "3"},
                   flashOnly("flash.hex"),
                   handshakeLog("1.28") + fileLog("FLASH", "flash.hex", "[0-9]+")},
        HangUpCase{"OlderBootloader",
                   {"--close-after", "3", "--version", "1.0"},
                   flashOnly("flash.hex"),
                   handshakeLog("1") + fileLog("FLASH", "flash.hex", "[0-9]+")},
        HangUpCase{"InsideTheEepromFileOfTwo",
                   {"--close-after", "2"},
                   {"/com3", "/e", "eeprom.hex", "/f", "flash.hex", "/console"},
                   handshakeLog("1.28") + fileLog("EEPROM", "eeprom.hex", "[0-9]+")}),
    [](const ::testing::TestParamInfo<HangUpCase>& info) { return info.param.name; });

struct HeldOutputCase {
    const char* name;
    const char* version;
    int size;
    int recordBytes;
    QString out;
    QString err;
};

void PrintTo(const HeldOutputCase& c, std::ostream* os)
{
    *os << c.name;
}

class HeldOutput : public ::testing::TestWithParam<HeldOutputCase> {};

TEST_P(HeldOutput, AnXoffWithoutXonStillEndsTheRun)
{
    const HeldOutputCase& c = GetParam();
    Simulator target({QStringLiteral("--xoff-after"), QStringLiteral("2"), QStringLiteral("--version"),
                      QString::fromLatin1(c.version)});
    ASSERT_FALSE(target.devicePath().isEmpty());
    ProgramFolder folder;
    ASSERT_TRUE(folder.mapCom3(target.devicePath()));
    ASSERT_TRUE(folder.makeHex(QStringLiteral("flash"), c.size, 9, c.recordBytes));
    folder.setRunLimit(kBoundedRunMs);

    const ProgramRun run = folder.run(flashOnly(QStringLiteral("flash.hex")));
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(matchesWhole(run.out, c.out));
    EXPECT_TRUE(matchesWhole(run.err, c.err));
}

INSTANTIATE_TEST_SUITE_P(
    Console, HeldOutput,
    ::testing::Values(
        // Unanswered lines are passed over; the file's end brings no answer either.
        HeldOutputCase{"OlderBootloader", "1.0", 64, 16, handshakeLog("1") + fileLog("FLASH", "flash.hex", "0"),
                       kNoEndOfFileAnswer},
        // A record longer than the transmit queue finds no room while output is held.
        HeldOutputCase{"ResendingBootloaderWithLongRecords", "1.28", 1024, 255,
                       handshakeLog("1.28") + fileLog("FLASH", "flash.hex", "[0-9]+"), kPortError}),
    [](const ::testing::TestParamInfo<HeldOutputCase>& info) { return info.param.name; });

// The lines of the generated FLASH file, without their line ends.
QList<QByteArray> flashLines(const ProgramFolder& folder)
{
    QList<QByteArray> lines = folder.contents(QStringLiteral("flash.hex")).split('\n');
    lines.removeLast();
    for (QByteArray& line : lines)
        line.chop(1);
    return lines;
}

QByteArray joined(const QList<QByteArray>& lines)
{
    return lines.join("\r\n") + "\r\n";
}

// The FLASH file with empty lines after its first one, `total` lines in all.
QByteArray withEmptyLines(const QList<QByteArray>& lines, int total)
{
    return lines.first() + QByteArray("\r\n").repeated(total - int(lines.size()) + 1) + joined(lines.mid(1));
}

struct InputFileCase {
    const char* name;
    // Puts the input, named "input.hex", into the folder; the FLASH file is there.
    std::function<bool(const ProgramFolder&)> make;
    int exitCode;
    QString out;  // after the handshake lines
    QString err;
};

bool writeInput(const ProgramFolder& folder, const QByteArray& content)
{
    return folder.write(QStringLiteral("input.hex"), content);
}

const QString kInputSent = fileLog("FLASH", "input.hex", "0");
const QString kSuccess = literal(QStringLiteral("FLASH file successfully downloaded.\n"));

const InputFileCase kInputFileCases[] = {
    {"Empty", [](const ProgramFolder& f) { return writeInput(f, {}); }, 1, kInputSent, kNoEndOfFileAnswer},
    {"OnlyEmptyLines", [](const ProgramFolder& f) { return writeInput(f, "\r\n\r\n\n\r"); }, 1, kInputSent,
     kNoEndOfFileAnswer},
    // The target skips bytes between records: the whole image arrives only
    // when no line is cut short at a NUL.
    {"BinaryBytesAroundEveryRecord",
     [](const ProgramFolder& f) {
         QList<QByteArray> lines = flashLines(f);
         for (QByteArray& line : lines)
             line = bytes("\0\x01\x80\xfe") + line + bytes("\xff\0");
         return writeInput(f, joined(lines));
     },
     0, kInputSent + kSuccess, QString()},
    // The first data record ends a line of 100 000 characters.
    {"LineOf100000Characters",
     [](const ProgramFolder& f) {
         QList<QByteArray> lines = flashLines(f);
         lines[1] = QByteArray(100000 - lines[1].size(), 'F') + lines[1];
         return writeInput(f, joined(lines));
     },
     0, kInputSent + kSuccess, QString()},
    // 32 767 lines are the most the 16-bit line counter holds.
    {"MostLinesTheCounterHolds",
     [](const ProgramFolder& f) { return writeInput(f, withEmptyLines(flashLines(f), 32767)); }, 0,
     kInputSent + kSuccess, QString()},
    {"OneLineMore", [](const ProgramFolder& f) { return writeInput(f, withEmptyLines(flashLines(f), 32768)); }, 1,
     literal(QStringLiteral("File input.hex correctly opened.\n")), kGeneralError},
    {"Folder", [](const ProgramFolder& f) { return QDir(f.path(QString())).mkdir(QStringLiteral("input.hex")); }, 1,
     QString(), literal(QStringLiteral("Error opening input.hex.\n"))},
};

void PrintTo(const InputFileCase& c, std::ostream* os)
{
    *os << c.name;
}

class InputFile : public ::testing::TestWithParam<InputFileCase> {};

TEST_P(InputFile, EndsWithItsOutcome)
{
    const InputFileCase& c = GetParam();
    ProgramFolder folder;
    Simulator target({QStringLiteral("--once"), QStringLiteral("--flash-out"), folder.path("flash.img")});
    ASSERT_FALSE(target.devicePath().isEmpty());
    ASSERT_TRUE(folder.mapCom3(target.devicePath()));
    ASSERT_TRUE(folder.makeHex(QStringLiteral("flash"), 96, 4, 16));
    ASSERT_TRUE(c.make(folder));
    folder.setRunLimit(kBoundedRunMs);

    const ProgramRun run = folder.run(flashOnly(QStringLiteral("input.hex")));
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_TRUE(matchesWhole(run.out, handshakeLog("1.28") + c.out));
    EXPECT_TRUE(matchesWhole(run.err, c.err));
    if (c.exitCode == 0) {
        ASSERT_EQ(target.waitForExit(kSimulatorExitLimitMs), 0);
        EXPECT_EQ(folder.contents("flash.img"), folder.contents("flash.bin"));
    }
}

INSTANTIATE_TEST_SUITE_P(Console, InputFile, ::testing::ValuesIn(kInputFileCases),
                         [](const ::testing::TestParamInfo<InputFileCase>& info) { return info.param.name; });

TEST(ConsolePortsFile, GarbageLinesLeaveTheGoodLineMapped)
{
    Simulator target({});
    ASSERT_FALSE(target.devicePath().isEmpty());
    ProgramFolder folder;
    ASSERT_TRUE(folder.makeHex(QStringLiteral("flash"), 64, 2, 16));
    const QByteArray device = QFile::encodeName(target.devicePath());
    const QByteArray garbage = bytes("\0\x01\xfe\xff noise\n") + "COM3\n" + "COM3 " + device + "\n" + "=" + device
                             + "\n" + "COM33=" + device + "\n" + QByteArray(5000, 'x') + "\n\r\n";
    // After the good line, lines that would spoil it if they were taken.
    const QByteArray spoilers = bytes("COM3=\nCOM3=\0/dev/null\nCOM3x=/dev/null\n#COM3=/dev/null\n");
    ASSERT_TRUE(folder.write(QStringLiteral("AVRBootloaderKorvel.ports"),
                             garbage + "COM3=" + device + "\r\n" + spoilers));

    const ProgramRun run = folder.run(flashOnly(QStringLiteral("flash.hex")));
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(matchesWhole(run.out, handshakeLog("1.28") + fileLog("FLASH", "flash.hex", "0") + kSuccess));
    EXPECT_TRUE(matchesWhole(run.err, QString()));
}

}  // namespace
