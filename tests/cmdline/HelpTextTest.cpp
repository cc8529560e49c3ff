#include "cmdline/HelpText.h"
#include "ManualPage.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// The synopsis shows every form of the command: the windows, a download with
// each of its options in brackets and /port beside /comx, and each option
// that stands alone with its spellings as choices. The files have a section.
TEST(ManualPage, SynopsisHoldsEveryFormAndFilesHaveTheirSection)
{
    const std::string page = korvel::manpage::manualPage("1.21");
    const auto from = page.find(".SH SYNOPSIS\n");
    const auto to = page.find(".SH DESCRIPTION\n");
    ASSERT_LT(from, to);
    std::string synopsis = page.substr(from, to - from);
    for (const char* roff : {"\\fB", "\\fI", "\\fR", "\\"}) {
        for (auto at = synopsis.find(roff); at != std::string::npos; at = synopsis.find(roff))
            synopsis.erase(at, std::string(roff).size());
    }
    EXPECT_NE(synopsis.find(".B AVRBootloaderKorvel\n.br\n.B AVRBootloaderKorvel\n/comx | /port device [/f "
                            "FlashFileName] [/e EEPROMFileName] [/console]"),
              std::string::npos)
        << synopsis;
    EXPECT_NE(synopsis.find("\n-h | --help | /?\n"), std::string::npos) << synopsis;
    int forms = 0;
    for (const auto& section : korvel::cmdline::helpSections()) {
        for (const auto& entry : section.entries) {
            forms += entry.use == korvel::cmdline::HelpUse::Alone ? 1 : 0;
            if (entry.use != korvel::cmdline::HelpUse::Download)
                continue;
            std::string term = entry.term;
            term.erase(std::remove_if(term.begin(), term.end(), [](char c) { return c == '<' || c == '>'; }),
                       term.end());
            EXPECT_NE(synopsis.find(" [" + term + "]"), std::string::npos) << term;
        }
    }
    // The title, the windows and the download (.B, .br, .B and the form), then .br, .B and each form alone.
    EXPECT_EQ(std::count(synopsis.begin(), synopsis.end(), '\n'), 1 + 4 + 3 * forms) << synopsis;
    EXPECT_LT(page.find(".SH \"FILES\"\n"), page.find("\\fBAVRBootloaderKorvel.cfg\\fR"));
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
