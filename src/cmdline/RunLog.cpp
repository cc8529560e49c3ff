#include "cmdline/RunLog.h"

#include "cmdline/TerminalReport.h"
#include "platform/SystemText.h"

#include <QDateTime>
#include <QStringList>

namespace korvel::cmdline {

bool RunLog::open(const std::string& path)
{
    path_ = platform::qtText(path);
    return file_.open(path);
}

QString RunLog::failure() const
{
    return platform::qtText(file_.failure());
}

// Each line is one write, so that a record shared by several benches keeps
// its lines whole.
void RunLog::line(const QString& text)
{
    if (!file_.isOpen() || failed_)
        return;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss "));
    QString lines;
    for (const QString& part : QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split('\n'))
        lines += stamp + part + QLatin1Char('\n');
    if (!file_.append(platform::programText(lines))) {
        failed_ = true;
        terminal_.message(QStringLiteral("AVRBootloaderKorvel: the log ") + path_ +
                              QStringLiteral(" could not be written: ") + failure() +
                              QStringLiteral(". The run goes on without it."),
                          false);
    }
}

}  // namespace korvel::cmdline
