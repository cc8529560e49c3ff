#include "cmdline/TerminalReport.h"

#include <algorithm>
#include <cctype>
#include <istream>
#include <ostream>
#include <string>

#include "base/Text.h"

namespace korvel::cmdline {

TerminalReport::TerminalReport(const Streams& streams, bool liveCount)
    : out_(streams.out)
    , err_(streams.err)
    , in_(streams.in)
    , liveCount_(liveCount && streams.outIsTerminal)
    , typedAnswersShown_(streams.inIsTerminal && streams.errIsTerminal)
{
}

void TerminalReport::write(std::ostream& stream, std::string text)
{
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.erase(at, 1);
    stream << text << std::flush;
}

void TerminalReport::logLine(const std::string& text)
{
    breakLiveLine();
    write(out_, text + '\n');
}

std::string TerminalReport::countLine() const
{
    return prefix_ + std::to_string(linesLeft_);
}

void TerminalReport::startCount(const std::string& prefix)
{
    endCount();
    counting_ = true;
    prefix_ = prefix;
    linesTotal_ = -1;
    linesLeft_ = 0;
    liveWidth_ = 0;
    started_ = false;
}

// The live form is rewritten from the start of the line, padded with blanks
// over whatever a longer earlier count left there.
void TerminalReport::showCount(int linesLeft, long long seconds)
{
    linesLeft_ = linesLeft;
    if (linesTotal_ < 0)
        linesTotal_ = linesLeft;
    if (!counting_ || !liveCount_)
        return;
    if (!started_) {
        started_ = true;
        startSeconds_ = seconds;
    }
    const long long done = linesTotal_ - linesLeft;
    const int percent = linesTotal_ > 0 ? int(done * 100 / linesTotal_) : 100;
    const int filled = percent * kBarWidth / 100;
    std::string line = countLine() + " [" + std::string(std::size_t(filled), '#') +
                       std::string(std::size_t(kBarWidth - filled), '.') + "] " + std::to_string(percent) + "%, " +
                       std::to_string(seconds) + " s";
    // The time left at the pace of the file so far, once it has one.
    const long long elapsed = seconds - startSeconds_;
    if (linesLeft > 0 && done > 0 && elapsed > 0)
        line += ", about " + std::to_string((linesLeft * elapsed + done - 1) / done) + " s left";
    const std::string padding(std::size_t(std::max(0, liveWidth_ - int(line.size()))), ' ');
    liveWidth_ = std::max(liveWidth_, int(line.size()));
    write(out_, '\r' + line + padding);
    liveShown_ = true;
}

void TerminalReport::endCount()
{
    if (!counting_)
        return;
    counting_ = false;
    if (liveShown_) {
        liveShown_ = false;
        write(out_, "\n");
    } else {
        write(out_, countLine() + '\n');
    }
}

// Ends the live line where it stands, so that other text starts on a line of
// its own; the next refresh writes the count line anew.
void TerminalReport::breakLiveLine()
{
    if (!liveShown_)
        return;
    liveShown_ = false;
    liveWidth_ = 0;
    write(out_, "\n");
}

void TerminalReport::message(const std::string& text, bool toStandardOutput)
{
    endCount();
    write(toStandardOutput ? out_ : err_, text + '\n');
}

void TerminalReport::question(const std::string& text)
{
    breakLiveLine();
    write(err_, text + '\n');
}

bool TerminalReport::ask(const std::string& text)
{
    breakLiveLine();
    write(err_, text + " [y/N] ");
    std::string answer;
    const bool answered = static_cast<bool>(std::getline(in_, answer));
    const bool lineEndTyped = answered && !in_.eof();
    if (!answer.empty() && answer.back() == '\r')
        answer.pop_back();
    if (!typedAnswersShown_)
        write(err_, answer + '\n');
    else if (!lineEndTyped)
        write(err_, "\n");
    if (!answered)
        return false;
    std::string word(trimmed(answer, " \t"));
    std::transform(word.begin(), word.end(), word.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return word == "y" || word == "yes";
}

}  // namespace korvel::cmdline
