#include "cmdline/TerminalReport.h"

#include "MemoryTerminal.h"

#include <gtest/gtest.h>

using korvel::cmdline::TerminalReport;

namespace {

// The counts of one file as the download shows them, a question in between.
// Without a terminal the count line is printed once; on one it is refreshed in
// place with a bar, the share done, the seconds and the seconds left at the
// file's pace so far, a shorter line blanking out what
// a longer one left, and a question ends the live line. Questions go to the
// error stream.
TEST(TerminalReport, CountLine)
{
    for (const bool onTerminal : {false, true}) {
        MemoryTerminal terminal;
        TerminalReport report(terminal.streams(onTerminal), true);
        report.logLine("File a.hex correctly opened.");
        report.startCount("Sending FLASH file: lines remaining ");
        report.showCount(120, 2);
        report.showCount(7, 3);
        report.question("Checksum error at line 114. Continue with download?");
        report.showCount(3, 15);
        report.showCount(0, 15);
        report.message("FLASH file successfully downloaded.", true);
        EXPECT_EQ(terminal.out.str(),
                  onTerminal
                      ? "File a.hex correctly opened.\n"
                        "\rSending FLASH file: lines remaining 120 [....................] 0%, 2 s"
                        "\rSending FLASH file: lines remaining 7 [##################..] 94%, 3 s, about 1 s left\n"
                        "\rSending FLASH file: lines remaining 3 [###################.] 97%, 15 s, about 1 s left"
                        "\rSending FLASH file: lines remaining 0 [####################] 100%, 15 s"
                        "               \n"
                        "FLASH file successfully downloaded.\n"
                      : "File a.hex correctly opened.\n"
                        "Sending FLASH file: lines remaining 0\n"
                        "FLASH file successfully downloaded.\n");
        EXPECT_EQ(terminal.err.str(), "Checksum error at line 114. Continue with download?\n");
    }
}

// The answer ends the question's line: the terminal's own echo does where the
// input and the error output are the same terminal and the answer ends with
// Enter; otherwise the answer is repeated, or the line ended.
TEST(TerminalReport, QuestionIsAnsweredByOneLineOfInput)
{
    const struct {
        const char* input;
        bool inIsTerminal;
        bool errIsTerminal;
        bool yes;
        const char* after;  // what follows the prompt on the error stream
    } cases[] = {
        {" Yes \n", true, true, true, ""},
        {"Y", true, true, true, "\n"},
        {"", true, true, false, "\n"},
        {"no\ny\n", true, true, false, ""},
        {"yess\n", false, true, false, "yess\n"},
        {"YES\r\n", false, false, true, "YES\n"},
        {"y\n", true, false, true, "y\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.input) + (c.inIsTerminal ? " in" : "") + (c.errIsTerminal ? " err" : ""));
        MemoryTerminal terminal;
        terminal.in.str(c.input);
        TerminalReport report(terminal.streams(false, c.inIsTerminal, c.errIsTerminal), true);
        EXPECT_EQ(report.ask("Go on?"), c.yes);
        EXPECT_EQ(terminal.err.str(), std::string("Go on? [y/N] ") + c.after);
        EXPECT_EQ(terminal.out.str(), "");
    }
}

}  // namespace
