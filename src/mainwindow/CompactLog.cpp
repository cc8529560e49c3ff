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
    , face_(log.font())
{
}

void CompactLog::show()
{
    window_.show();
}

// A file name of 51 to 60 characters is logged whole, and its line is then
// wider than the designed label: the face is narrowed for the whole log, so
// that it stays a fixed-pitch log in which every line is whole.
void CompactLog::setLog(const QString& log)
{
    const int room = log_.contentsRect().width();
    QFont font = face_;
    const auto widest = [&font, &log] {
        const QFontMetricsF metrics(font);
        qreal width = 0;
        for (const QString& line : log.split(QStringLiteral("\r\n")))
            width = qMax(width, metrics.horizontalAdvance(line));
        return width;
    };
    const int normal = face_.stretch() > 0 ? face_.stretch() : int(QFont::Unstretched);
    for (int stretch = normal; widest() > room && stretch > 1; --stretch)
        font.setStretch(stretch - 1);
    if (font != log_.font()) {
        log_.setFont(font);
        positionCount();
    }
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
    count_.hide();
    countLine_ = lineIndex;
    countAfter_ = lineText;
    positionCount();
}

// One line high, so that the opaque count never hides the line below.
void CompactLog::positionCount()
{
    if (countLine_ < 0)
        return;
    const QFontMetrics metrics(log_.font());
    const QRect textArea = log_.contentsRect();
    count_.setGeometry(log_.x() + textArea.left() + metrics.horizontalAdvance(countAfter_),
                       log_.y() + textArea.top() + heightOfLines(metrics, countLine_), count_.width(),
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
