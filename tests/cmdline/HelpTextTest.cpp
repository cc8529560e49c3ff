#include "cmdline/HelpText.h"
#include "ManualPage.h"

#include <gtest/gtest.h>

#include <sstream>

using korvel::manpage::roffText;

namespace {

// What roff would read as a request, an escape or a hyphen is shielded; the
// carriage returns of the classic usage are dropped.
TEST(ManualPage, RoffText)
{
    struct Row {
        std::string text;
        bool minusSigns;
        std::string roff;
    };
    const Row rows[] = {
        {".x y.z", false, "\\&.x y.z"},
        {"a\n'b\n.c", false, "a\n\\&'b\n\\&.c"},
        {R"(\\.\COM12)", false, R"(\e\e.\eCOM12)"},
        {"--ports by-id", true, "\\-\\-ports by\\-id"},
        {"Ctrl-C", false, "Ctrl-C"},
        {"a\r\nb\r\n", false, "a\nb\n"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(roffText(row.text, row.minusSigns), row.roff) << row.text;
}

// After a blank line below the usage, each section of --help: its title, then
// its entries, their texts in one column after at least two blanks, whatever
// the length of the terms added to it.
TEST(HelpMore, TextsInOneColumnPerSection)
{
    const auto sections = korvel::cmdline::helpSections();
    std::istringstream lines(korvel::cmdline::helpMore());
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "");
    std::getline(lines, line);
    EXPECT_EQ(line, "");
    for (const auto& section : sections) {
        std::getline(lines, line);
        EXPECT_EQ(line, section.title + ":");
        std::size_t column = 0;
        for (const auto& entry : section.entries) {
            ASSERT_TRUE(std::getline(lines, line)) << entry.term;
            const auto at = line.find(entry.text);
            ASSERT_NE(at, std::string::npos) << line;
            EXPECT_EQ(line.substr(0, 2 + entry.term.size()), "  " + entry.term);
            EXPECT_GE(at, 2 + entry.term.size() + 2) << line;
            EXPECT_EQ(line.find_first_not_of(' ', 2 + entry.term.size()), at) << line;
            if (column == 0)
                column = at;
            EXPECT_EQ(at, column) << line;
        }
    }
    EXPECT_FALSE(std::getline(lines, line)) << line;
}

}  // namespace
