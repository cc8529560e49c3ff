#include "startup/CmdLineArgs.h"

#include <gtest/gtest.h>

using namespace korvel::startup;

namespace {

using Args = std::vector<std::string>;

// A run from the command line: names and port as parsed.
TEST(ParseArguments, CommandLineRuns)
{
    struct Row {
        Args args;
        std::string flash, eeprom;
        std::int16_t port;
        bool console = false;
    };
    const Row rows[] = {
        {{"/com2", "/f", R"(C:\fw\app.hex)"}, R"(C:\fw\app.hex)", "", 2},
        {{"/com1", "/e", "data.hex", "/f", "code.hex"}, "code.hex", "data.hex", 1},
        {{"/com3", "/f", R"(C:\My)", R"(Files\app.hex)"}, R"(C:\My Files\app.hex)", "", 3},
        {{"/com3", "/f", R"("C:\My Files\app.hex")"}, R"(C:\My Files\app.hex)", "", 3},
        {{"/com1", "/f", "  app.hex ", ""}, "app.hex", "", 1},
        {{"/f", "app.hex", "/com12"}, "app.hex", "", 12},
        {{"/com32767", "/f", "app.hex"}, "app.hex", "", 32767},
        {{"/com1", "/e", "/f"}, "", "", 1},
        {{"/com4", "/e", "/company/fw.hex"}, "", "/company/fw.hex", 4},
        {{"/com1", "/f", "/e/f"}, "/e/f", "", 1},
        {{"", "/com1", "/f", "a.hex", "/console"}, "a.hex", "", 1, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.args));
        const ParsedArgs parsed = parseArguments(row.args);
        ASSERT_EQ(parsed.verdict, ArgsVerdict::CommandLine);
        EXPECT_TRUE(parsed.state.CmdLineMode);
        EXPECT_EQ(parsed.state.FLASHFileName, row.flash);
        EXPECT_EQ(parsed.state.EEPROMFileName, row.eeprom);
        EXPECT_EQ(parsed.state.CmdLineFLASH, !row.flash.empty());
        EXPECT_EQ(parsed.state.CmdLineEEPROM, !row.eeprom.empty());
        EXPECT_EQ(parsed.state.CmdLineComPort, row.port);
        EXPECT_EQ(parsed.state.console, row.console);
        EXPECT_TRUE(parsed.message.empty());
    }
}

// Everything else: the window, the usage text, or a refusal with its message.
TEST(ParseArguments, OtherStarts)
{
    const std::string usage = kUsageMessage;
    const std::string noPort = "No COM port specified. Please use /com1 or /com2...";
    const std::tuple<Args, ArgsVerdict, std::string> rows[] = {
        {{}, ArgsVerdict::Interactive, ""},
        {{"/?"}, ArgsVerdict::UsageRequested, usage},
        {{"/com1", "/f", "a.hex", "-h"}, ArgsVerdict::UsageRequested, usage},
        {{"hello"}, ArgsVerdict::Refused, usage},
        {{"/com1"}, ArgsVerdict::Refused, usage},
        {{"/COM1", "/F", "app.hex"}, ArgsVerdict::Refused, usage},
        {{"/console"}, ArgsVerdict::Refused, usage},
        {{"/com", "1", "/f", "app.hex"}, ArgsVerdict::Refused, usage},
        {{"/com1x", "/f", "app.hex"}, ArgsVerdict::Refused, usage},
        {{"/com32768", "/f", "app.hex"}, ArgsVerdict::Refused, usage},
        {{"/com1", "/f", "a.hex", "/f", "b.hex"}, ArgsVerdict::Refused, usage},
        {{"/com1", "/com2", "/f", "a.hex"}, ArgsVerdict::Refused, usage},
        {{"/f", "a.hex", "/com1", "stray"}, ArgsVerdict::Refused, usage},
        {{"/f", "app.hex"}, ArgsVerdict::Refused, noPort},
        {{"/e", "/f"}, ArgsVerdict::Refused, noPort},
    };
    for (const auto& [args, verdict, message] : rows) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const ParsedArgs parsed = parseArguments(args);
        EXPECT_EQ(parsed.verdict, verdict);
        EXPECT_EQ(parsed.message, message);
        EXPECT_FALSE(parsed.state.CmdLineMode);
    }
}

}  // namespace
