#include "cmdline/TerminalReport.h"

#include "MemoryTerminal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

using korvel::cmdline::TerminalReport;

namespace {

// The counts of one file as the download shows them, a question in between,
// on terminals of several widths (0: no terminal). Without a terminal the
// count line is printed once; on one it is refreshed in place with a bar,
// the share done, the seconds and the seconds left at the file's pace so
// far, a shorter line blanking out what a longer one left, and a question
// ends the live line. A refreshed line never takes the terminal's last
// column: the bar shrinks and goes first, then the estimate, down to the
// count line and the bare count. The width is asked at every refresh, so a
// resize (the 90 that becomes 40) takes effect at the next one.
TEST(TerminalReport, CountLineFitsTheTerminal)
{
    const std::string count = "\rSending FLASH file: lines remaining ";
    const struct {
        std::vector<int> columns;  // at each refresh, the last one repeated
        std::string out;           // after "File a.hex correctly opened.\n"
    } cases[] = {
        {{0}, "Sending FLASH file: lines remaining 0\n"},
        {{90},
         count + "120 [....................] 0%, 2 s" + count + "7 [##################..] 94%, 3 s, about 1 s left\n" +
             count + "3 [###################.] 97%, 15 s, about 1 s left" + count +
             "0 [####################] 100%, 15 s" + std::string(15, ' ') + "\n"},
        {{80},
         count + "120 [....................] 0%, 2 s" + count + "7 [#############.] 94%, 3 s, about 1 s left\n" +
             count + "3 [############.] 97%, 15 s, about 1 s left" + count + "0 [####################] 100%, 15 s" +
             std::string(8, ' ') + "\n"},
        {{90, 40}, count + "120 [....................] 0%, 2 s" + count + "7  \n" + count + "3" + count + "0\n"},
        {{5}, "\r120\r7  \n\r3\r0\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.columns.front());
        MemoryTerminal terminal;
        auto streams = terminal.streams(c.columns.front() > 0);
        std::size_t refresh = 0;
        int width = 0;
        streams.outColumns = [&] { return width = c.columns[std::min(refresh++, c.columns.size() - 1)]; };
        TerminalReport report(streams, true);
        report.logLine("File a.hex correctly opened.");
        report.startCount("Sending FLASH file: lines remaining ");
        report.showCount(120, 2);
        report.showCount(7, 3);
        report.question("Checksum error at line 114. Continue with download?");
        report.showCount(3, 15);
        report.showCount(0, 15);
        report.message("FLASH file successfully downloaded.", true);
        EXPECT_EQ(terminal.out.str(),
                  "File a.hex correctly opened.\n" + c.out + "FLASH file successfully downloaded.\n");
        EXPECT_EQ(terminal.err.str(), "Checksum error at line 114. Continue with download?\n");
        // Every refreshed line within the width it was drawn for.
        const std::string out = terminal.out.str();
        for (std::size_t at = out.find('\r'); c.columns.size() == 1 && at != std::string::npos;
             at = out.find('\r', at + 1))
            EXPECT_LT(out.find_first_of("\r\n", at + 1) - at - 1, std::size_t(c.columns.back())) << out.substr(at);
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
