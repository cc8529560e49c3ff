#include "startup/LogWindow.h"

#include "mainwindow/FrmMain.h"

#include <QFontMetrics>
#include <QLabel>
#include <QStringList>

namespace korvel::startup {

LogWindow::LogWindow(mainwindow::FrmMain& window) : window_(window) {}

void LogWindow::show()
{
    window_.show();
}

void LogWindow::setLog(const QString& log)
{
    window_.commandLineLog().setText(log);
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

void LogWindow::placeCount(int lineIndex, const QString& lineText)
{
    const QLabel& log = window_.commandLineLog();
    const QFontMetrics metrics(log.font());
    const QRect textArea = log.contentsRect();
    QLabel& count = window_.lineSentLabel();
    count.hide();
    // One line high, so that the opaque count never hides the line below.
    count.setGeometry(log.x() + textArea.left() + metrics.horizontalAdvance(lineText),
                      log.y() + textArea.top() + heightOfLines(metrics, lineIndex), count.width(),
                      heightOfLines(metrics, 1));
}

void LogWindow::showCount(int linesLeft)
{
    QLabel& count = window_.lineSentLabel();
    count.setText(QString::number(linesLeft));
    count.show();
}

void LogWindow::hideCount()
{
    window_.lineSentLabel().hide();
}

mainwindow::WindowRun& LogWindow::run()
{
    return window_.windowRun();
}

}  // namespace korvel::startup
