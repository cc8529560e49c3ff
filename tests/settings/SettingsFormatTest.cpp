#include "settings/SettingsFormat.h"

#include <gtest/gtest.h>

using korvel::settings::parseSettings;
using korvel::settings::Settings;

namespace {

// What the reader makes of a file's content with `portCount` ports listed:
// the five values, or nothing (the defaults then apply).
TEST(ParseSettings, ReadsValuesOrRefuses)
{
    const std::optional<Settings> refused;
    const std::tuple<const char*, QByteArray, int, std::optional<Settings>> rows[] = {
        {"no selection", "-1\r\n1\r\n\"a.hex\"\r\n0\r\n\"\"\r\n", 2, Settings{-1, 1, "a.hex", 0, ""}},
        {"last port", "1\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n", 2, Settings{1, 1, "", 0, ""}},
        {"position one past the list", "2\r\n1\r\n\"a.hex\"\r\n0\r\n\"\"\r\n", 2, refused},
        {"first port without ports", "0\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n", 0, refused},
        {"position below -1", "-2\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n", 2, refused},
        {"position not a number", "x\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n", 2, refused},
        {"greyed checks", "0\r\n2\r\n\"\"\r\n2\r\n\"\"\r\n", 1, Settings{0, 2, "", 2, ""}},
        {"check value 3", "0\r\n3\r\n\"\"\r\n0\r\n\"\"\r\n", 1, refused},
        {"quoted check is text", "0\r\n\"1\"\r\n\"\"\r\n\"0\"\r\n\"\"\r\n", 1, Settings{0, 1, "", 0, ""}},
        {"extra lines ignored", "1\r\n0\r\n\"f\"\r\n1\r\n\"e\"\r\nmore\r\n\"x\r\n", 2, Settings{1, 0, "f", 1, "e"}},
        {"bare LF", "1\n0\n\"f\"\n1\n\"e\"\n", 2, Settings{1, 0, "f", 1, "e"}},
        {"commas on one line", "1,0,\"f,g\",1,\"e\"\r\n", 2, Settings{1, 0, "f,g", 1, "e"}},
        {"leading blanks skipped", "  1\r\n\t0\r\n  \"f\"\r\n 1 \r\n \"e\"\r\n", 2, Settings{1, 0, "f", 1, "e"}},
        {"unquoted text", "0\r\n1\r\n/tmp/a.hex\r\n0\r\n\r\n", 1, Settings{0, 1, "/tmp/a.hex", 0, ""}},
        {"short file", "1\r\n1\r\n\"a.hex\"\r\n0\r\n", 2, refused},
        {"quoted text across lines", "1\r\n1\r\n\"a\r\nb\"\r\n0\r\n\"\"\r\n", 2, Settings{1, 1, "a\r\nb", 0, ""}},
        {"quote taking the rest", "1\r\n1\r\n\"a.hex\r\n0\r\n\"\"", 2, refused},
        {"UTF-8 byte-order mark",
         "\xEF\xBB\xBF"
         "1\r\n0\r\n\"f\"\r\n1\r\n\"e\"\r\n",
         2, Settings{1, 0, "f", 1, "e"}},
        {"binary garbage", QByteArray("\x00\xff\x7f\"\x01,\x02\r\n\x1a", 10), 2, refused},
    };
    for (const auto& [name, content, portCount, expected] : rows)
        EXPECT_EQ(parseSettings(content, portCount), expected) << name;
}

}  // namespace
