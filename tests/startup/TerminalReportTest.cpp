#include "startup/TerminalReport.h"

#include <gtest/gtest.h>

#include <sstream>

using korvel::startup::TerminalReport;

namespace {

struct Terminal {
    explicit Terminal(bool outIsTerminal, const std::string& input = "", bool inIsTerminal = true,
                      bool errIsTerminal = true)
        : in(input)
        , report({out, err, in, outIsTerminal, inIsTerminal, errIsTerminal}, true)
    {
    }

    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in;
    TerminalReport report;
};

const QString kPrefix = QStringLiteral("Sending FLASH file: lines remaining ");

// The counts of one file as the download shows them, a question in between.
void sendFile(TerminalReport& report)
{
    report.logLine(QStringLiteral("File a.hex correctly opened."));
    report.startCount(kPrefix);
    report.showCount(120, 0);
    report.showCount(7, 1);
    report.question(QStringLiteral("Checksum error at line 114. Continue with download?"));
    report.showCount(3, 13);
    report.showCount(0, 13);
    report.message(QStringLiteral("FLASH file successfully downloaded."), true);
}

// Without a terminal the count line is printed once; on one it is refreshed in
// place with the share done and the seconds, a shorter line blanking out what
// a longer one left, and a question ends the live line. Questions go to the
// error stream.
TEST(TerminalReport, CountLine)
{
    for (const bool onTerminal : {false, true}) {
        Terminal terminal(onTerminal);
        sendFile(terminal.report);
        EXPECT_EQ(terminal.out.str(), onTerminal ? "File a.hex correctly opened.\n"
                                                   "\rSending FLASH file: lines remaining 120 (0%, 0 s)"
                                                   "\rSending FLASH file: lines remaining 7 (94%, 1 s) \n"
                                                   "\rSending FLASH file: lines remaining 3 (97%, 13 s)"
                                                   "\rSending FLASH file: lines remaining 0 (100%, 13 s)\n"
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
        {"y\n", true, true, true, ""},
        {" Yes \n", true, true, true, ""},
        {"Y", true, true, true, "\n"},
        {"", true, true, false, "\n"},
        {"no\ny\n", true, true, false, ""},
        {"yess\n", false, true, false, "yess\n"},
        {"YES\r\n", false, false, true, "YES\n"},
        {"", false, true, false, "\n"},
        {"y\n", true, false, true, "y\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.input) + (c.inIsTerminal ? " in" : "") + (c.errIsTerminal ? " err" : ""));
        Terminal terminal(false, c.input, c.inIsTerminal, c.errIsTerminal);
        EXPECT_EQ(terminal.report.ask(QStringLiteral("Go on?")), c.yes);
        EXPECT_EQ(terminal.err.str(), std::string("Go on? [y/N] ") + c.after);
        EXPECT_EQ(terminal.out.str(), "");
    }
}

}  // namespace
