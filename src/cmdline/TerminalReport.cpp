#include "cmdline/TerminalReport.h"
#include "platform/SystemText.h"

#include <istream>
#include <ostream>
#include <string>

namespace korvel::cmdline {

TerminalReport::TerminalReport(const Streams& streams, bool liveCount)
    : out_(streams.out)
    , err_(streams.err)
    , in_(streams.in)
    , liveCount_(liveCount && streams.outIsTerminal)
    , typedAnswersShown_(streams.inIsTerminal && streams.errIsTerminal)
{
}

void TerminalReport::write(std::ostream& stream, const QString& text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    stream << platform::programText(lines) << std::flush;
}

void TerminalReport::logLine(const QString& text)
{
    breakLiveLine();
    write(out_, text + QLatin1Char('\n'));
}

QString TerminalReport::countLine() const
{
    return prefix_ + QString::number(linesLeft_);
}

void TerminalReport::startCount(const QString& prefix)
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
    QString line = countLine() + QStringLiteral(" [") + QString(filled, QLatin1Char('#')) +
                   QString(kBarWidth - filled, QLatin1Char('.')) + QStringLiteral("] ") + QString::number(percent) +
                   QStringLiteral("%, ") + QString::number(seconds) + QStringLiteral(" s");
    // The time left at the pace of the file so far, once it has one.
    const long long elapsed = seconds - startSeconds_;
    if (linesLeft > 0 && done > 0 && elapsed > 0)
        line += QStringLiteral(", about ") + QString::number((linesLeft * elapsed + done - 1) / done) +
                QStringLiteral(" s left");
    const QString padding(qMax(0, liveWidth_ - int(line.size())), QLatin1Char(' '));
    liveWidth_ = qMax(liveWidth_, int(line.size()));
    write(out_, QLatin1Char('\r') + line + padding);
    liveShown_ = true;
}

void TerminalReport::endCount()
{
    if (!counting_)
        return;
    counting_ = false;
    if (liveShown_) {
        liveShown_ = false;
        write(out_, QStringLiteral("\n"));
    } else {
        write(out_, countLine() + QLatin1Char('\n'));
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
    write(out_, QStringLiteral("\n"));
}

void TerminalReport::message(const QString& text, bool toStandardOutput)
{
    endCount();
    write(toStandardOutput ? out_ : err_, text + QLatin1Char('\n'));
}

void TerminalReport::question(const QString& text)
{
    breakLiveLine();
    write(err_, text + QLatin1Char('\n'));
}

bool TerminalReport::ask(const QString& text)
{
    breakLiveLine();
    write(err_, text + QStringLiteral(" [y/N] "));
    std::string answer;
    const bool answered = static_cast<bool>(std::getline(in_, answer));
    const bool lineEndTyped = answered && !in_.eof();
    if (!answer.empty() && answer.back() == '\r')
        answer.pop_back();
    if (!typedAnswersShown_)
        write(err_, platform::qtText(answer) + QLatin1Char('\n'));
    else if (!lineEndTyped)
        write(err_, QStringLiteral("\n"));
    if (!answered)
        return false;
    const QString word = platform::qtText(answer).trimmed().toLower();
    return word == QLatin1String("y") || word == QLatin1String("yes");
}

}  // namespace korvel::cmdline
