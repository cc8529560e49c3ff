#include <gtest/gtest.h>

#include "base/ForeignText.h"

namespace korvel::link {
namespace {

// Control characters of every kind are written out; printable text, UTF-8
// letters and backslashes stay; bytes that are not UTF-8 are shown by value.
TEST(ForeignText, ControlCharactersAreWrittenOut)
{
    const std::pair<std::string, std::string> rows[] = {
        {"minicom", "minicom"},
        {"C:\\fw\\app.hex", "C:\\fw\\app.hex"},
        {"\x1b]0;owned\x07", "\\x1b]0;owned\\x07"},  // a title change
        {"\x1b[2J", "\\x1b[2J"},                     // a screen clear
        {"a\tb\nc\rd", "a\\x09b\\x0ac\\x0dd"},
        {std::string("nul\0x", 5), "nul\\x00x"},
        {"del\x7f", "del\\x7f"},
        {"\xc2\x9b"
         "31m",
         "\\u009b31m"},  // C1 CSI as UTF-8
        {"\xc2\x80\xc2\x9f\xc2\xa0", "\\u0080\\u009f\xc2\xa0"},
        {"M\xc3\xbcller \xe2\x82\xac \xf0\x9f\x94\x8c", "M\xc3\xbcller \xe2\x82\xac \xf0\x9f\x94\x8c"},
        {"\x9b"
         "1m",
         "\\x9b1m"},                                   // a lone C1 byte
        {"caf\xe9", "caf\\xe9"},                       // Latin-1
        {"\xc0\x9b", "\\xc0\\x9b"},                    // overlong
        {"\xed\xa0\x80", "\\xed\\xa0\\x80"},           // a surrogate
        {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},  // beyond U+10FFFF
        {"\xe2\x82", "\\xe2\\x82"},                    // cut short
    };
    for (const auto& [text, shown] : rows)
        EXPECT_EQ(escapedForeign(text), shown) << shown;
}

}  // namespace
}  // namespace korvel::link
