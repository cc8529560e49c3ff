#include "mainwindow/CompactLog.h"

#include <QFontMetrics>
#include <QLabel>
#include <QStringList>

namespace korvel::mainwindow {

CompactLog::CompactLog(QWidget& window, QLabel& log, QLabel& count, WindowRun& run)
    : window_(window)
    , log_(log)
    , count_(count)
    , run_(run)
{
}

void CompactLog::show()
{
    window_.show();
}

void CompactLog::setLog(const QString& log)
{
    log_.setText(log);
}

namespace {

// The height of `lines` lines of text laid out the way a label lays them out.
int heightOfLines(const QFontMetrics& metrics, int lines)
{
    if (lines <= 0)
        return 0;
    const QString text = QStringList(lines, QStringLiteral("0")).join(QLatin1Char('\n'));
    return metrics.boundingRect(QRect(0, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, text).height();
}

}  // namespace

void CompactLog::placeCount(int lineIndex, const QString& lineText)
{
    const QLabel& log = log_;
    const QFontMetrics metrics(log.font());
    const QRect textArea = log.contentsRect();
    QLabel& count = count_;
    count.hide();
    // One line high, so that the opaque count never hides the line below.
    count.setGeometry(log.x() + textArea.left() + metrics.horizontalAdvance(lineText),
                      log.y() + textArea.top() + heightOfLines(metrics, lineIndex), count.width(),
                      heightOfLines(metrics, 1));
}

void CompactLog::showCount(int linesLeft)
{
    count_.setText(QString::number(linesLeft));
    count_.show();
}

void CompactLog::hideCount()
{
    count_.hide();
}

}  // namespace korvel::mainwindow
