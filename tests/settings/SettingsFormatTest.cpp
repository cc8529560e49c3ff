#include "settings/SettingsFormat.h"

#include <gtest/gtest.h>

using korvel::settings::formatSettings;
using korvel::settings::parseSettings;
using korvel::settings::Settings;

namespace {

Settings values(int position, int flashCheck, QByteArray flashFile, int eepromCheck, QByteArray eepromFile)
{
    return {position, flashCheck, flashFile, eepromCheck, eepromFile};
}

TEST(FormatSettings, WritesOneValuePerCrLfLine)
{
    const auto content = formatSettings(values(1, 1, R"(C:\fw\app.hex)", 0, ""));
    ASSERT_TRUE(content);
    EXPECT_EQ(*content, QByteArray("1\r\n1\r\n\"C:\\fw\\app.hex\"\r\n0\r\n\"\"\r\n"));
}

TEST(FormatSettings, RefusesTextsHoldingAQuote)
{
    EXPECT_FALSE(formatSettings(values(0, 1, "a\"b", 0, "")));
    EXPECT_FALSE(formatSettings(values(0, 1, "", 0, "\"")));
}

TEST(SettingsRoundTrip, KeepsEveryValue)
{
    const Settings cases[] = {
        values(1, 1, "/home/me/fw,v2/app.hex", 0, ""),
        values(0, 0, "", 1, ""),
        values(-1, 2, "  lead and trail  ", 2, "x"),
        values(2, 1, "/home/\xc3\xa9l\xc3\xa8ve/app.hex", 1, "/tmp/data.hex"),
    };
    for (const Settings& original : cases) {
        const auto content = formatSettings(original);
        ASSERT_TRUE(content);
        const auto read = parseSettings(*content, 3);
        ASSERT_TRUE(read) << content->constData();
        EXPECT_EQ(*read, original) << content->constData();
    }
}

struct ReadCase {
    const char* name;
    QByteArray content;
    int portCount;
    std::optional<Settings> expected;
};

class ParseSettings : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ParseSettings, ReadsValuesOrRefuses)
{
    const ReadCase& c = GetParam();
    const auto read = parseSettings(c.content, c.portCount);
    ASSERT_EQ(read.has_value(), c.expected.has_value());
    if (read) {
        EXPECT_EQ(*read, *c.expected);
    }
}

const std::optional<Settings> kReadError;

INSTANTIATE_TEST_SUITE_P(
    Table, ParseSettings,
    ::testing::Values(
        ReadCase{"no_selection", "-1\r\n1\r\n\"a.hex\"\r\n0\r\n\"\"\r\n", 2, values(-1, 1, "a.hex", 0, "")},
        ReadCase{"last_port", "1\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n", 2, values(1, 1, "", 0, "")},
        ReadCase{"position_one_past_list", "2\r\n1\r\n\"a.hex\"\r\n0\r\n\"\"\r\n", 2, kReadError},
        ReadCase{"first_port_without_ports", "0\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n", 0, kReadError},
        ReadCase{"position_below_minus_one", "-2\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n", 2, kReadError},
        ReadCase{"position_not_a_number", "x\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n", 2, kReadError},
        ReadCase{"greyed_checks", "0\r\n2\r\n\"\"\r\n2\r\n\"\"\r\n", 1, values(0, 2, "", 2, "")},
        ReadCase{"check_value_three", "0\r\n3\r\n\"\"\r\n0\r\n\"\"\r\n", 1, kReadError},
        ReadCase{"quoted_check_is_text", "0\r\n\"1\"\r\n\"\"\r\n\"0\"\r\n\"\"\r\n", 1, values(0, 1, "", 0, "")},
        ReadCase{"extra_lines_ignored", "1\r\n0\r\n\"f\"\r\n1\r\n\"e\"\r\nmore\r\n\"x\r\n", 2,
                 values(1, 0, "f", 1, "e")},
        ReadCase{"bare_lf", "1\n0\n\"f\"\n1\n\"e\"\n", 2, values(1, 0, "f", 1, "e")},
        ReadCase{"commas_on_one_line", "1,0,\"f,g\",1,\"e\"\r\n", 2, values(1, 0, "f,g", 1, "e")},
        ReadCase{"leading_blanks_skipped", "  1\r\n\t0\r\n  \"f\"\r\n 1 \r\n \"e\"\r\n", 2, values(1, 0, "f", 1, "e")},
        ReadCase{"unquoted_text", "0\r\n1\r\n/tmp/a.hex\r\n0\r\n\r\n", 1, values(0, 1, "/tmp/a.hex", 0, "")},
        ReadCase{"short_file", "1\r\n1\r\n\"a.hex\"\r\n0\r\n", 2, kReadError},
        ReadCase{"quoted_text_across_lines", "1\r\n1\r\n\"a\r\nb\"\r\n0\r\n\"\"\r\n", 2, values(1, 1, "a\r\nb", 0, "")},
        ReadCase{"quote_taking_the_rest", "1\r\n1\r\n\"a.hex\r\n0\r\n\"\"", 2, kReadError},
        ReadCase{"binary_garbage", QByteArray("\x00\xff\x7f\"\x01,\x02\r\n\x1a", 10), 2, kReadError}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
