#include "cmdline/CmdLineArgs.h"
#include "cmdline/HelpText.h"

#include <gtest/gtest.h>

using namespace korvel::cmdline;

namespace {

using Args = std::vector<std::string>;

// Every start: a run from the command line with its names and port, the
// window, the usage text, or a refusal with its message and, on a second
// line, the word refused and why. A start that is no
// run keeps only "/console", which keeps its message on the terminal.
TEST(ParseArguments, Table)
{
    const std::string usage = kUsageMessage;
    const std::string noPort = kNoComPortMessage;
    const auto run = ArgsVerdict::CommandLine;
    const auto refused = ArgsVerdict::Refused;
    struct Row {
        Args args;
        ArgsVerdict verdict;
        std::string message;
        StartupState state;  // FLASHFileName, EEPROMFileName, CmdLineComPort, console, CmdLinePortDevice,
                             // portWaitSeconds, syncSeconds, logPath, recordPath, tag
    };
    const Row rows[] = {
        {{"/com2", "/f", R"(C:\fw\app.hex)"}, run, "", {R"(C:\fw\app.hex)", "", 2}},
        {{"/com1", "/e", "data.hex", "/f", "code.hex"}, run, "", {"code.hex", "data.hex", 1}},
        {{"/com3", "/f", R"(C:\My)", R"(Files\app.hex)"}, run, "", {R"(C:\My Files\app.hex)", "", 3}},
        {{"/com3", "/f", R"("C:\My Files\app.hex")"}, run, "", {R"(C:\My Files\app.hex)", "", 3}},
        {{"/com1", "/f", "  app.hex ", ""}, run, "", {"app.hex", "", 1}},
        {{"/f", "app.hex", "/com12"}, run, "", {"app.hex", "", 12}},
        {{"/com32767", "/f", "app.hex"}, run, "", {"app.hex", "", 32767}},
        {{"/com1", "/e", "/f"}, run, "", {"", "", 1}},
        {{"/com4", "/e", "/company/fw.hex"}, run, "", {"", "/company/fw.hex", 4}},
        {{"/com1", "/f", "/e/f"}, run, "", {"/e/f", "", 1}},
        {{"go", "/com3", "x", "/e", "d.hex", "/com4", "/console", "/console"}, run, "", {"", "d.hex", 3, true}},
        {{"/port", "/dev/serial/by-id/usb-x", "/f", "a.hex", "/com3"},
         run,
         "",
         {"a.hex", "", 0, false, "/dev/serial/by-id/usb-x"}},
        {{"/com3", "/f", "a.hex", "/port", "/dev/ttyUSB0"}, run, "", {"a.hex", "", 3}},
        {{}, ArgsVerdict::Interactive, "", {}},
        {{"/f", "a.hex", "--ports"}, ArgsVerdict::PortsListed, "", {}},
        {{"", "  "}, ArgsVerdict::Interactive, "", {}},
        {{"/?"}, ArgsVerdict::UsageRequested, usage, {}},
        {{"/com1", "/f", "a.hex", "-h", "/console"}, ArgsVerdict::UsageRequested, usage, {"", "", 0, true}},
        {{"/com1", "--version", "/f", "-h"}, ArgsVerdict::UsageRequested, usage, {}},
        {{"/com1", "/f", "a.hex", "--version"}, ArgsVerdict::VersionRequested, "", {}},
        {{"/com1", "/console"},
         refused,
         usage + "\r\nNo file is named: /f <FlashFileName> or /e <EEPROMFileName> is missing.",
         {"", "", 0, true}},
        {{"/COM1", "/F", "app.hex"}, refused, usage + "\r\nNo file is named: /f <FlashFileName> or /e", {}},
        {{"/com32768", "/f", "app.hex"}, refused, usage + "\r\n\"/com32768\" is refused: a port is /com and its", {}},
        {{"/com1", "/f", "a.hex", "/f", "b.hex"}, refused, usage + "\r\n\"/f\" is given twice", {}},
        {{"/com1", "/comx", "/f", "a.hex"}, refused, usage + "\r\n\"/comx\" is refused", {}},
        {{"/f", "a.hex", "/com1", "stray"}, refused, usage + "\r\n\"stray\" belongs to no option", {}},
        {{"/f", "app.hex"},
         refused,
         noPort + "\r\nName the port with /comN (--ports lists them) or the device with",
         {}},
        {{"/f", "a.hex", "/port"},
         refused,
         usage + "\r\n/port needs the device after it, as in /port /dev/ttyUSB0.",
         {}},
        {{"/port", "/console", "/f", "a.hex"}, refused, usage + "\r\n/port needs the device", {"", "", 0, true}},
        {{"-v", "/com1", "/f", "a.hex"}, refused, usage + "\r\n\"-v\" is not an option of AVRBootloaderKorvel;", {}},
        {{"/com1", "/f", "a.hex", "--verbose"}, refused, usage + "\r\n\"--verbose\" is not an option", {}},
        {{"/com1", "/f", "a.hex", "--x\x1b]0;"}, refused, usage + "\r\n\"--x\\x1b]0;\" is not an option", {}},
        {{"--port", "x"}, refused, usage + "\r\n\"--port\" is not an option: a device is given as /port <device>", {}},
        {{"/dev/ttyUSB0", "/f", "x.hex"},
         refused,
         noPort + "\r\n\"/dev/ttyUSB0\" looks like a serial device: name it "
                  "with /port /dev/ttyUSB0.",
         {}},
        {{"COM3"}, refused, usage + "\r\n\"COM3\" looks like a serial device", {}},
        // The bench's options: each value a whole number in its range, or a file.
        {{"/f", "a.hex", "--wait-port", "30", "/com2", "--sync-seconds", "600", "--log", "run log.txt", "--record",
          "runs.jsonl", "--tag", "bench 3"},
         run,
         "",
         {"a.hex", "", 2, false, "", 30, 600, "run log.txt", "runs.jsonl", "bench 3"}},
        {{"/com1", "/f", "a.hex", "--tag", " "}, refused, usage + "\r\n--tag needs its text after it", {}},
        {{"/com1", "/f", "a.hex", "--record", "/e"}, refused, usage + "\r\n--record needs the name of its file", {}},
        {{"/com1", "/f", "a.hex", "--sync-seconds", "0"},
         refused,
         usage + "\r\n--sync-seconds \"0\" is refused: the seconds must be a whole number from 1 to 600.",
         {}},
        {{"/com1", "/f", "a.hex", "--sync-seconds", "601"},
         refused,
         usage + "\r\n--sync-seconds \"601\" is refused",
         {}},
        {{"/com1", "/f", "a.hex", "--wait-port", "3601"},
         refused,
         usage + "\r\n--wait-port \"3601\" is refused: the "
                 "seconds must be a whole number from 1 to 3600.",
         {}},
        {{"/com1", "/f", "a.hex", "--wait-port", "1.5"}, refused, usage + "\r\n--wait-port \"1.5\" is refused", {}},
        {{"/com1", "/f", "a.hex", "--wait-port", "/console"},
         refused,
         usage + "\r\n--wait-port needs a number of seconds after it.",
         {"", "", 0, true}},
        {{"/com1", "/f", "a.hex", "--log"}, refused, usage + "\r\n--log needs the name of its file after it.", {}},
        {{"/com1", "/f", "a.hex", "--log", "a", "--log", "b"}, refused, usage + "\r\n\"--log\" is given twice", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.args));
        const ParsedArgs parsed = parseArguments(row.args);
        EXPECT_EQ(parsed.verdict, row.verdict);
        // A refusal: the designed text whole, then the start of the reason on a line of its own.
        EXPECT_EQ(parsed.message.substr(0, row.message.size()), row.message);
        EXPECT_EQ(parsed.message.size() > row.message.size(), row.verdict == refused && row.message.back() != '.');
        EXPECT_EQ(parsed.state.FLASHFileName, row.state.FLASHFileName);
        EXPECT_EQ(parsed.state.EEPROMFileName, row.state.EEPROMFileName);
        EXPECT_EQ(parsed.state.CmdLineComPort, row.state.CmdLineComPort);
        EXPECT_EQ(parsed.state.console, row.state.console);
        EXPECT_EQ(parsed.state.CmdLinePortDevice, row.state.CmdLinePortDevice);
        EXPECT_EQ(parsed.state.portWaitSeconds, row.state.portWaitSeconds);
        EXPECT_EQ(parsed.state.syncSeconds, row.state.syncSeconds);
        EXPECT_EQ(parsed.state.logPath, row.state.logPath);
        EXPECT_EQ(parsed.state.recordPath, row.state.recordPath);
        EXPECT_EQ(parsed.state.tag, row.state.tag);
    }
}

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

// The help beyond the usage names only the devices and stops that the system
// it runs on has.
TEST(Help, NamesTheDevicesAndStopsOfThisSystem)
{
    const std::string help = helpMore();
    EXPECT_EQ(help.find("/dev/") == std::string::npos, kWindows) << help;
    EXPECT_EQ(help.find("SIGHUP") == std::string::npos, kWindows) << help;
    EXPECT_NE(help.find("\n  130"), std::string::npos) << help;
}

}  // namespace
