#include "startup/CmdLineArgs.h"

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>

using namespace korvel::startup;

namespace {

struct Case {
    const char* name;
    std::vector<std::string> args;
    ArgsVerdict verdict;
    // For a command-line run:
    std::string flash = "";
    std::string eeprom = "";
    std::int16_t port = 0;
    bool console = false;
};

std::string testName(std::string name)
{
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

Case run(const char* name, std::vector<std::string> args, std::string flash, std::string eeprom,
         std::int16_t port, bool console = false)
{
    return {name, std::move(args), ArgsVerdict::CommandLine, flash, eeprom, port, console};
}

Case outcome(const char* name, std::vector<std::string> args, ArgsVerdict verdict)
{
    return {name, std::move(args), verdict};
}

class ParseArguments : public ::testing::TestWithParam<Case> {};

TEST_P(ParseArguments, GivesTheExpectedStartup)
{
    const Case& c = GetParam();
    const ParsedArgs parsed = parseArguments(c.args);
    ASSERT_EQ(parsed.verdict, c.verdict);
    switch (c.verdict) {
    case ArgsVerdict::Interactive:
        EXPECT_FALSE(parsed.state.CmdLineMode);
        EXPECT_TRUE(parsed.message.empty());
        break;
    case ArgsVerdict::UsageRequested:
        EXPECT_EQ(parsed.message, kUsageMessage);
        break;
    case ArgsVerdict::Refused:
        break;  // the message is checked by the tables below
    case ArgsVerdict::CommandLine:
        EXPECT_TRUE(parsed.state.CmdLineMode);
        EXPECT_EQ(parsed.state.FLASHFileName, c.flash);
        EXPECT_EQ(parsed.state.EEPROMFileName, c.eeprom);
        EXPECT_EQ(parsed.state.CmdLineFLASH, !c.flash.empty());
        EXPECT_EQ(parsed.state.CmdLineEEPROM, !c.eeprom.empty());
        EXPECT_EQ(parsed.state.CmdLineComPort, c.port);
        EXPECT_EQ(parsed.state.console, c.console);
        EXPECT_TRUE(parsed.message.empty());
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseArguments,
    ::testing::Values(
        outcome("no arguments", {}, ArgsVerdict::Interactive),
        outcome("only empty arguments", {"", ""}, ArgsVerdict::Interactive),
        run("flash after port", {"/com2", "/f", R"(C:\fw\app.hex)"}, R"(C:\fw\app.hex)", "", 2),
        run("eeprom then flash", {"/com1", "/e", "data.hex", "/f", "code.hex"}, "code.hex", "data.hex", 1),
        run("unquoted name with a blank", {"/com3", "/f", R"(C:\My)", R"(Files\app.hex)"},
            R"(C:\My Files\app.hex)", "", 3),
        run("quoted name loses its quotes", {"/com3", "/f", R"("C:\My Files\app.hex")"},
            R"(C:\My Files\app.hex)", "", 3),
        run("quoted empty name", {"/com1", "/f", R"("")"}, "", "", 1),
        run("blanks around a name", {"/com1", "/f", "  app.hex ", ""}, "app.hex", "", 1),
        run("port after the name", {"/f", "app.hex", "/com2"}, "app.hex", "", 2),
        run("two-digit port", {"/com12", "/f", "app.hex"}, "app.hex", "", 12),
        run("largest port number", {"/com32767", "/f", "app.hex"}, "app.hex", "", 32767),
        run("port 0 is left to the port to refuse", {"/com0", "/f", "app.hex"}, "app.hex", "", 0),
        run("option alone gives empty names", {"/com1", "/f"}, "", "", 1),
        run("both options empty", {"/com1", "/e", "/f"}, "", "", 1),
        run("path holding /e", {"/com1", "/f", "D:\\fw/easy.hex"}, "D:\\fw/easy.hex", "", 1),
        run("path starting with /com", {"/com4", "/e", "/company/fw.hex"}, "", "/company/fw.hex", 4),
        run("path named like an option inside a name", {"/com1", "/f", "/e/f"}, "/e/f", "", 1),
        run("console anywhere", {"/com1", "/f", "a.hex", "/console"}, "a.hex", "", 1, true),
        run("empty argument before the options", {"", "/com1", "/f", "a.hex"}, "a.hex", "", 1),
        outcome("help long", {"--help"}, ArgsVerdict::UsageRequested),
        outcome("help slash", {"/?"}, ArgsVerdict::UsageRequested),
        outcome("help wins over a full command line", {"/com1", "/f", "a.hex", "-h"},
                ArgsVerdict::UsageRequested),
        outcome("help wins over errors", {"/comx", "--help"}, ArgsVerdict::UsageRequested)),
    [](const auto& info) { return testName(info.param.name); });

struct RefusedCase {
    const char* name;
    std::vector<std::string> args;
};

class RefusedWithUsage : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedWithUsage, ShowsTheUsageMessage)
{
    const ParsedArgs parsed = parseArguments(GetParam().args);
    EXPECT_EQ(parsed.verdict, ArgsVerdict::Refused);
    EXPECT_EQ(parsed.message, kUsageMessage);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedWithUsage,
    ::testing::Values(RefusedCase{"word", {"hello"}},
                      RefusedCase{"port without file option", {"/com1"}},
                      RefusedCase{"upper case options", {"/COM1", "/F", "app.hex"}},
                      RefusedCase{"console alone", {"/console"}},
                      RefusedCase{"port letter", {"/comx", "/f", "app.hex"}},
                      RefusedCase{"port number apart", {"/com", "1", "/f", "app.hex"}},
                      RefusedCase{"port with trailing letter", {"/com1x", "/f", "app.hex"}},
                      RefusedCase{"negative port", {"/com-1", "/f", "app.hex"}},
                      RefusedCase{"port too large", {"/com32768", "/f", "app.hex"}},
                      RefusedCase{"glued options", {"/com1", "/e/f", "x"}},
                      RefusedCase{"repeated file option", {"/com1", "/f", "a.hex", "/f", "b.hex"}},
                      RefusedCase{"repeated port", {"/com1", "/com2", "/f", "a.hex"}},
                      RefusedCase{"word before the options", {"/com1", "stray", "/f", "a.hex"}},
                      RefusedCase{"word after the port", {"/f", "a.hex", "/com1", "stray"}}),
    [](const auto& info) { return testName(info.param.name); });

TEST(ParseArguments, FileOptionWithoutPortAsksForOne)
{
    for (const auto& args : {std::vector<std::string>{"/f", "app.hex"}, {"/e", "data.hex"}, {"/e", "/f"}}) {
        const ParsedArgs parsed = parseArguments(args);
        EXPECT_EQ(parsed.verdict, ArgsVerdict::Refused);
        EXPECT_EQ(parsed.message, "No COM port specified. Please use /com1 or /com2...");
    }
}

}  // namespace
