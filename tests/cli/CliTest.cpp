// The program run from a script: console mode against the target simulator on
// a pseudo-terminal, checked by its standard output, error output and exit status.
#include "CliRig.h"

#include <gtest/gtest.h>

namespace {

const int kSimulatorExitLimitMs = 5000;

const QString kHandshakeLog = QStringLiteral(
    "Serial line correctly opened.\n"
    "Please synchronize systems: power on or reset target!\n"
    "Contacted target Bootloader Ver. 1.28\n");

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

const SuccessCase kSuccessCases[] = {
    {"FlashOnly", "flash.hex", nullptr,
     "File flash.hex correctly opened.\n"
     "Sending FLASH file: lines remaining 0\n",
     "FLASH file successfully downloaded."},
    {"EepromOnlyWithBlanksInTheName", nullptr, "eeprom data.hex",
     "File eeprom data.hex correctly opened.\n"
     "Sending EEPROM file: lines remaining 0\n",
     "EEPROM file successfully downloaded."},
    {"Both", "flash.hex", "eeprom data.hex",
     "File eeprom data.hex correctly opened.\n"
     "Sending EEPROM file: lines remaining 0\n"
     "File flash.hex correctly opened.\n"
     "Sending FLASH file: lines remaining 0\n",
     "FLASH & EEPROM files successfully downloaded."},
};

class SuccessfulRun : public ::testing::TestWithParam<SuccessCase> {};

TEST_P(SuccessfulRun, LogsToStandardOutputWritesTheImagesAndExitsWithZero)
{
    const SuccessCase& c = GetParam();
    ProgramFolder folder;
    Simulator target({QStringLiteral("--once"), QStringLiteral("--flash-out"), folder.path("flash.img"),
                      QStringLiteral("--eeprom-out"), folder.path("eeprom.img")});
    ASSERT_FALSE(target.devicePath().isEmpty());
    ASSERT_TRUE(folder.mapCom3(target.devicePath()));
    ASSERT_TRUE(folder.makeHex(QStringLiteral("flash"), 512, 7, 16));
    ASSERT_TRUE(folder.makeHex(QStringLiteral("eeprom data"), 64, 11, 8));

    QStringList arguments{QStringLiteral("/com3")};
    if (c.eeprom)
        arguments << QStringLiteral("/e") << QString::fromLatin1(c.eeprom);
    if (c.flash)
        arguments << QStringLiteral("/f") << QString::fromLatin1(c.flash);
    const ProgramRun run = folder.run(withConsole(arguments));

    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, kHandshakeLog + c.log + c.message + "\n");
    EXPECT_EQ(run.err, QString());
    EXPECT_EQ(folder.contents(QStringLiteral("AVRBootloaderKorvel.cfg")), ProgramFolder::kSettings);

    ASSERT_EQ(target.waitForExit(kSimulatorExitLimitMs), 0);
    // The simulator writes an empty image of a memory that received nothing.
    EXPECT_EQ(folder.contents("flash.img"), c.flash ? folder.contents("flash.bin") : QByteArray());
    EXPECT_EQ(folder.contents("eeprom.img"), c.eeprom ? folder.contents("eeprom data.bin") : QByteArray());
}

INSTANTIATE_TEST_SUITE_P(Console, SuccessfulRun, ::testing::ValuesIn(kSuccessCases),
                         [](const ::testing::TestParamInfo<SuccessCase>& info) { return info.param.name; });

struct TroubleCase {
    const char* name;
    QStringList simulator;
    QStringList arguments;  // "/console" is added
    QByteArray input;
    int exitCode;
    QString out;
    QString err;
};

// The first 3 and the last 44 of a 61-character name.
const QString kLongEeprom = QStringLiteral("eep") + QString(14, QLatin1Char('-')) + QString(40, QLatin1Char('e'))
                          + QStringLiteral(".hex");
const QString kLongFlash = QString(57, QLatin1Char('f')) + QStringLiteral(".hex");

class TroubledRun : public ::testing::TestWithParam<TroubleCase> {};

TEST_P(TroubledRun, EndsWithItsMessageOnTheErrorOutput)
{
    const TroubleCase& c = GetParam();
    Simulator target(c.simulator);
    ASSERT_FALSE(target.devicePath().isEmpty());
    ProgramFolder folder;
    ASSERT_TRUE(folder.mapCom3(target.devicePath()));
    ASSERT_TRUE(folder.makeHex(QStringLiteral("flash"), 64, 3, 16));
    ASSERT_TRUE(folder.write(kLongEeprom, folder.contents(QStringLiteral("flash.hex"))));

    const ProgramRun run = folder.run(withConsole(c.arguments), c.input);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(folder.contents(QStringLiteral("AVRBootloaderKorvel.cfg")), ProgramFolder::kSettings);
}

const QString kFlashDone = QStringLiteral("File flash.hex correctly opened.\nSending FLASH file: lines remaining 0\n");

INSTANTIATE_TEST_SUITE_P(
    Console, TroubledRun,
    ::testing::Values(
        TroubleCase{"SilentTarget",
                    {"--silent"},
                    {"/com3", "/f", "flash.hex"},
                    {},
                    1,
                    "Serial line correctly opened.\nPlease synchronize systems: power on or reset target!\n",
                    "No response from target Bootloader.\n"},
        TroubleCase{"LateQuestionMarkInsideTheSharedWindow",
                    {"--phase2-delay", "4000"},
                    {"/com3", "/f", "flash.hex"},
                    {},
                    0,
                    kHandshakeLog + kFlashDone + "FLASH file successfully downloaded.\n",
                    ""},
        TroubleCase{"BothNamesEmpty", {}, {"/com3", "/f"}, {}, 1, kHandshakeLog, "Check box to download code.\n"},
        TroubleCase{"ChecksumQuestionAnsweredYes",
                    {"--checksum-errors", "3", "--error-line", "2"},
                    {"/com3", "/f", "flash.hex"},
                    "yes\n",
                    0,
                    kHandshakeLog + kFlashDone + "FLASH file successfully downloaded.\n",
                    "Checksum error at line 2. Continue with download? [y/N] yes\n"},
        TroubleCase{"WriteErrorQuestionAnsweredNo",
                    {"--write-error-line", "3"},
                    {"/com3", "/f", "flash.hex"},
                    "n\n",
                    1,
                    kHandshakeLog + "File flash.hex correctly opened.\nSending FLASH file: lines remaining 3\n",
                    "Error writing to flash at line 3. Continue with download? [y/N] n\n"},
        TroubleCase{"QuestionWithoutInputIsNo",
                    {"--write-error-line", "1"},
                    {"/com3", "/f", "flash.hex"},
                    {},
                    1,
                    kHandshakeLog + "File flash.hex correctly opened.\nSending FLASH file: lines remaining 5\n",
                    "Error writing to flash at line 1. Continue with download? [y/N] \n"},
        TroubleCase{"LongNamesShortenedInTheLogOnly",
                    {},
                    {"/com3", "/e", kLongEeprom, "/f", kLongFlash},
                    {},
                    1,
                    kHandshakeLog + "File eep..." + kLongEeprom.right(44)
                        + " correctly opened.\nSending EEPROM file: lines remaining 0\n",
                    "Error opening " + kLongFlash + ".\n"}),
    [](const ::testing::TestParamInfo<TroubleCase>& info) { return info.param.name; });

TEST(ConsoleRun, PortThatCannotBeOpenedWithoutSettingsFile)
{
    for (const char* port : {"/com3", "/com0"}) {
        SCOPED_TRACE(port);
        ProgramFolder folder;
        ASSERT_TRUE(QFile::remove(folder.path(QStringLiteral("AVRBootloaderKorvel.cfg"))));
        const ProgramRun run = folder.run(withConsole({port, "/f", "app.hex"}));
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, QString());
        EXPECT_EQ(run.err, "An error occured while loading file " + folder.path("AVRBootloaderKorvel.cfg")
                               + ". The default settings will be loaded instead.\n"
                                 "Error while accessing the com port.\n");
        EXPECT_EQ(folder.contents(QStringLiteral("AVRBootloaderKorvel.cfg")), "<missing>");
    }
}

// Without a display the program needs no "/console" to stay on the terminal.
TEST(ConsoleRun, RunsWithoutATargetEndWithTheirMessageAndExitStatus)
{
    struct Case {
        QStringList arguments;
        QProcessEnvironment environment;
        int exitCode;
        QString outStart;
        QString errStart;
    };
    const QString usage = QStringLiteral("Usage: AVRBootloaderKorvel /comx [/f <FlashFileName> | /e <EEPROMFileName>]\n");
    const QProcessEnvironment own = QProcessEnvironment::systemEnvironment();
    const QProcessEnvironment noDisplay = environmentWithoutDisplay();
    const Case cases[] = {
        {{"/com3", "/console"}, own, 2, "", usage},
        {{"/f", "app.hex", "/console"}, own, 2, "", "No COM port specified. Please use /com1 or /com2...\n"},
        {{"/com3", "/F", "app.hex"}, noDisplay, 2, "", usage},
        {{"/com3", "/f", "x", "/console"}, own, 1, "", "Select FLASH file to download.\n"},
        {{"--help", "/console"}, own, 0, usage, ""},
        {{"/?"}, noDisplay, 0, usage, ""},
        {{}, noDisplay, 2, "", "AVRBootloaderKorvel: the windows need a display"},
    };
    ProgramFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const ProgramRun run = folder.run(c.arguments, {}, c.environment);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.out.left(c.outStart.size()), c.outStart);
        EXPECT_EQ(run.err.left(c.errStart.size()), c.errStart);
        EXPECT_EQ(run.out.isEmpty(), c.outStart.isEmpty());
        EXPECT_EQ(run.err.isEmpty(), c.errStart.isEmpty());
        EXPECT_FALSE(run.out.contains(QLatin1Char('\r')));
    }
}

}  // namespace
