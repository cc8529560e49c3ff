#include "startup/LogFrontEnd.h"

#include "startup/LogWindow.h"
#include "startup/TerminalReport.h"

namespace korvel::startup {

namespace {

const QString kLineEnd = QStringLiteral("\r\n");
const int kLongestShownName = 60;
const int kShownHead = 3;
const int kShownTail = 44;

QString fromLocal(const std::string& text)
{
    return QString::fromLocal8Bit(text.data(), qsizetype(text.size()));
}

}  // namespace

QString ShortenFileName(const QString& ShownFileName)
{
    if (ShownFileName.size() <= kLongestShownName)
        return ShownFileName;
    return ShownFileName.left(kShownHead) + QStringLiteral("...") + ShownFileName.right(kShownTail);
}

bool isSuccessMessage(const QString& text)
{
    return text == QLatin1String("FLASH file successfully downloaded.") ||
           text == QLatin1String("EEPROM file successfully downloaded.") ||
           text == QLatin1String("FLASH & EEPROM files successfully downloaded.");
}

LogFrontEnd::LogFrontEnd(TerminalReport& terminal, LogWindow* window) : terminal_(terminal), window_(window) {}

bool LogFrontEnd::windowOpen() const
{
    return window_ && !window_->closeRequested();
}

void LogFrontEnd::append(const QString& text)
{
    log_ += text;
    if (window_)
        window_->setLog(log_);
}

void LogFrontEnd::appendLine(const QString& text)
{
    append(text + kLineEnd);
    terminal_.logLine(text);
}

void LogFrontEnd::downloadStarting()
{
    if (window_) {
        window_->setLog(log_);
        window_->show();
    }
}

void LogFrontEnd::portOpened()
{
    log_.clear();
    appendLine(QStringLiteral("Serial line correctly opened."));
    appendLine(QStringLiteral("Please synchronize systems: power on or reset target!"));
}

void LogFrontEnd::versionRead(const std::string& version)
{
    appendLine(QStringLiteral("Contacted target Bootloader Ver. ") + fromLocal(version));
}

void LogFrontEnd::fileOpened(link::FileKindCode, const std::string& path)
{
    appendLine(QStringLiteral("File ") + ShortenFileName(fromLocal(path)) + QStringLiteral(" correctly opened."));
}

void LogFrontEnd::sendingFile(link::FileKindCode kind)
{
    const QString prefix = kind == link::EepromFile ? QStringLiteral("Sending EEPROM file: lines remaining ")
                                                    : QStringLiteral("Sending FLASH file: lines remaining ");
    append(prefix);
    terminal_.startCount(prefix);
    if (window_)
        window_->placeCount(int(log_.count(kLineEnd)), prefix);
}

void LogFrontEnd::showLinesLeft(int linesLeft)
{
    terminal_.showCount(linesLeft);
    if (window_)
        window_->showCount(linesLeft);
}

// The finished line keeps a count of 0 in the log text; the live count moves
// on with the next file.
void LogFrontEnd::betweenFiles()
{
    terminal_.endCount();
    log_ += QStringLiteral("             0 ") + kLineEnd;
    if (window_) {
        window_->setLog(log_);
        window_->hideCount();
    }
}

void LogFrontEnd::message(const std::string& text, link::MessageIcon icon)
{
    const QString shown = fromLocal(text);
    terminal_.message(shown, isSuccessMessage(shown));
    if (windowOpen())
        window_->message(shown, icon);
}

bool LogFrontEnd::ask(const std::string& question)
{
    if (counters_)
        showLinesLeft(counters_->LinesLeft);
    const QString shown = fromLocal(question);
    if (!window_)
        return terminal_.ask(shown);
    if (!windowOpen())
        return false;
    terminal_.question(shown);
    return window_->ask(shown);
}

bool LogFrontEnd::cancelRequested()
{
    return window_ && window_->closeRequested();
}

}  // namespace korvel::startup
