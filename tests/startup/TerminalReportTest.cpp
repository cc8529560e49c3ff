#include "startup/TerminalReport.h"

#include <gtest/gtest.h>

#include <sstream>

using korvel::startup::TerminalReport;

namespace {

struct Terminal {
    explicit Terminal(bool outIsTerminal, const std::string& input = "", bool inIsTerminal = true)
        : in(input)
        , report({out, err, in, outIsTerminal, inIsTerminal}, true)
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
    report.showCount(120);
    report.showCount(7);
    report.question(QStringLiteral("Checksum error at line 114. Continue with download?"));
    report.showCount(3);
    report.showCount(0);
    report.message(QStringLiteral("FLASH file successfully downloaded."), true);
}

// Without a terminal the count line is printed once; on one it is refreshed in
// place, a shorter count blanking out what a longer one left, and a question
// ends the live line. Questions go to the error stream.
TEST(TerminalReport, CountLine)
{
    for (const bool onTerminal : {false, true}) {
        Terminal terminal(onTerminal);
        sendFile(terminal.report);
        EXPECT_EQ(terminal.out.str(), onTerminal ? "File a.hex correctly opened.\n"
                                                   "\rSending FLASH file: lines remaining 120"
                                                   "\rSending FLASH file: lines remaining 7  \n"
                                                   "\rSending FLASH file: lines remaining 3"
                                                   "\rSending FLASH file: lines remaining 0\n"
                                                   "FLASH file successfully downloaded.\n"
                                                 : "File a.hex correctly opened.\n"
                                                   "Sending FLASH file: lines remaining 0\n"
                                                   "FLASH file successfully downloaded.\n");
        EXPECT_EQ(terminal.err.str(), "Checksum error at line 114. Continue with download?\n");
    }
}

TEST(TerminalReport, QuestionIsAnsweredByOneLineOfInput)
{
    const std::pair<const char*, bool> cases[] = {{"y\n", true},     {"YES\r\n", true}, {" Yes \n", true}, {"Y", true},
                                                  {"yess\n", false}, {"", false},       {"no\ny\n", false}};
    for (const auto& [input, yes] : cases) {
        SCOPED_TRACE(input);
        Terminal terminal(false, input);
        EXPECT_EQ(terminal.report.ask(QStringLiteral("Go on?")), yes);
        EXPECT_EQ(terminal.err.str(), "Go on? [y/N] ");
        EXPECT_EQ(terminal.out.str(), "");
    }
}

}  // namespace
