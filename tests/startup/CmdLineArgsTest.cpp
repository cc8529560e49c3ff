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
        run("flash then eeprom", {"/com1", "/f", "code.hex", "/e", "data.hex"}, "code.hex", "data.hex", 1),
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
        run("absolute POSIX path", {"/com1", "/f", "/etc/fw/easy.hex"}, "/etc/fw/easy.hex", "", 1),
        run("path starting with /com", {"/com4", "/e", "/company/fw.hex"}, "", "/company/fw.hex", 4),
        run("path named like an option inside a name", {"/com1", "/f", "/e/f"}, "/e/f", "", 1),
        run("console anywhere", {"/com1", "/f", "a.hex", "/console"}, "a.hex", "", 1, true),
        run("empty argument before the options", {"", "/com1", "/f", "a.hex"}, "a.hex", "", 1),
        outcome("help short", {"-h"}, ArgsVerdict::UsageRequested),
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
                      RefusedCase{"port without number at the end", {"/f", "app.hex", "/com"}},
                      RefusedCase{"port with trailing letter", {"/com1x", "/f", "app.hex"}},
                      RefusedCase{"negative port", {"/com-1", "/f", "app.hex"}},
                      RefusedCase{"port too large", {"/com32768", "/f", "app.hex"}},
                      RefusedCase{"glued options", {"/com1", "/e/f", "x"}},
                      RefusedCase{"glued options without port", {"/e/f", "x"}},
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

TEST(UsageMessage, IsSevenLinesJoinedByCrLf)
{
    std::vector<std::string> lines;
    const std::string text = kUsageMessage;
    for (std::size_t start = 0;;) {
        const auto end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 2;
    }
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0].rfind("Usage: AVRBootloaderKorvel ", 0), 0u);
    for (int option : {2, 3, 4})
        EXPECT_EQ(lines[option].substr(0, 3), "  /");
    EXPECT_EQ(lines[5], "");
    EXPECT_EQ(lines[6], "/comx is required; one of /f or /e parameter is required, too.");
    EXPECT_EQ(text.find_first_of("\r\n"), text.find("\r\n")) << "no bare CR or LF";
}

}  // namespace
