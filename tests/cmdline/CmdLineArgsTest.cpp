#include "cmdline/CmdLineArgs.h"

#include <gtest/gtest.h>

using namespace korvel::cmdline;

namespace {

using Args = std::vector<std::string>;

// Every start: a run from the command line with its names and port, the
// window, the usage text, or a refusal with its message. A start that is no
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
        StartupState state;  // FLASHFileName, EEPROMFileName, CmdLineComPort, console, CmdLinePortDevice
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
        {{"/com1", "/console"}, refused, usage, {"", "", 0, true}},
        {{"/COM1", "/F", "app.hex"}, refused, usage, {}},
        {{"/com32768", "/f", "app.hex"}, refused, usage, {}},
        {{"/com1", "/f", "a.hex", "/f", "b.hex"}, refused, usage, {}},
        {{"/com1", "/comx", "/f", "a.hex"}, refused, usage, {}},
        {{"/f", "a.hex", "/com1", "stray"}, refused, usage, {}},
        {{"/f", "app.hex"}, refused, noPort, {}},
        {{"/f", "a.hex", "/port"}, refused, usage, {}},
        {{"/port", "/console", "/f", "a.hex"}, refused, usage, {"", "", 0, true}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.args));
        const ParsedArgs parsed = parseArguments(row.args);
        EXPECT_EQ(parsed.verdict, row.verdict);
        EXPECT_EQ(parsed.message, row.message);
        EXPECT_EQ(parsed.state.FLASHFileName, row.state.FLASHFileName);
        EXPECT_EQ(parsed.state.EEPROMFileName, row.state.EEPROMFileName);
        EXPECT_EQ(parsed.state.CmdLineComPort, row.state.CmdLineComPort);
        EXPECT_EQ(parsed.state.console, row.state.console);
        EXPECT_EQ(parsed.state.CmdLinePortDevice, row.state.CmdLinePortDevice);
    }
}

}  // namespace
