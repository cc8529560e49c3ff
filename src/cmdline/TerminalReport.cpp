#include "cmdline/TerminalReport.h"

#include <algorithm>
#include <cctype>
#include <istream>
#include <ostream>
#include <string>

#include "base/Text.h"

namespace korvel::cmdline {

TerminalReport::TerminalReport(const Streams& streams, bool liveCount)
    : streams_(streams)
    , out_(streams.out)
    , err_(streams.err)
    , in_(streams.in)
    , liveCount_(liveCount && streams.outIsTerminal)
    , outColumns_(streams.outColumns)
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

// The longest live form that fits `most` characters: the count, a bar, the
// share done, the run's seconds and the time left, giving up the bar's width,
// then the bar, then the estimate, then all but the count line, then all but
// the count; empty when not even the count fits.
std::string TerminalReport::liveLine(long long seconds, std::size_t most) const
{
    const long long done = linesTotal_ - linesLeft_;
    const int percent = linesTotal_ > 0 ? int(done * 100 / linesTotal_) : 100;
    const std::string share = std::to_string(percent) + "%, " + std::to_string(seconds) + " s";
    // The time left at the pace of the file so far, once it has one.
    const long long elapsed = seconds - startSeconds_;
    const std::string estimate = linesLeft_ > 0 && done > 0 && elapsed > 0
                                     ? ", about " + std::to_string((linesLeft_ * elapsed + done - 1) / done) + " s left"
                                     : "";
    for (int bar = kBarWidth; bar >= kNarrowestBar; --bar) {
        const int filled = percent * bar / 100;
        const std::string line = countLine() + " [" + std::string(std::size_t(filled), '#') +
                                 std::string(std::size_t(bar - filled), '.') + "] " + share + estimate;
        if (line.size() <= most)
            return line;
    }
    for (const std::string& line :
         {countLine() + ", " + share + estimate, countLine() + ", " + share, countLine(), std::to_string(linesLeft_)}) {
        if (line.size() <= most)
            return line;
    }
    return {};
}

// The live form is rewritten from the start of the line, padded with blanks
// over whatever a longer earlier count left there, within the terminal's width.
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
    const int columns = outColumns_ ? outColumns_() : 0;
    const std::size_t most = columns > 1 ? std::size_t(columns - 1) : kUnknownTerminalWidth;
    const std::string line = liveLine(seconds, most);
    if (line.empty())
        return;
    const std::size_t cover = std::min(std::size_t(liveWidth_), most);
    const std::string padding(cover > line.size() ? cover - line.size() : 0, ' ');
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
