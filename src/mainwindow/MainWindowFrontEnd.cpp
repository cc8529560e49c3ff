#include "mainwindow/MainWindowFrontEnd.h"

#include <QLabel>

#include "base/ForeignText.h"
#include "mainwindow/FrmMain.h"
#include "platform/SystemText.h"

namespace korvel::mainwindow {

namespace {

const QString kVersionPrefix = QStringLiteral("Target Bootloader Ver. ");

}  // namespace

void MainWindowFrontEnd::showStatus(const QString& text)
{
    window_.LblExec->setText(text);
}

void MainWindowFrontEnd::showVersion(const QString& text)
{
    window_.LblFwVer->setText(text);
    window_.LblFwVer->show();
}

void MainWindowFrontEnd::downloadStarting()
{
    window_.SetBusyState();
    showStatus(QStringLiteral("Initializing the com port"));
}

void MainWindowFrontEnd::portOpened()
{
    showVersion(kVersionPrefix);
}

void MainWindowFrontEnd::synchronising()
{
    showStatus(QStringLiteral("Please synchronize devices, power on or reset target..."));
}

void MainWindowFrontEnd::targetResponded()
{
    showStatus(QStringLiteral("Target Bootloader responded."));
}

void MainWindowFrontEnd::versionRead(const std::string& version)
{
    showVersion(kVersionPrefix + platform::qtText(version));
}

void MainWindowFrontEnd::openingFile(link::FileKind, const std::string& path)
{
    showStatus(QStringLiteral("Opening the file ") + platform::foreignText(path) + QLatin1Char('.'));
}

void MainWindowFrontEnd::sendingFile(link::FileKind kind)
{
    showStatus(kind == link::FileKind::Eeprom ? QStringLiteral("Sending EEPROM file - lines remaining ")
                                              : QStringLiteral("Sending FLASH file - lines remaining "));
}

void MainWindowFrontEnd::showLinesLeft(int linesLeft)
{
    window_.LblLineSent->setText(QString::number(linesLeft));
    window_.LblLineSent->show();
}

// A download refused by its file checks never left the idle state.
void MainWindowFrontEnd::downloadEnded(link::DownloadResult result)
{
    if (result != link::DownloadResult::NotValid)
        window_.SetIdleState();
}

void MainWindowFrontEnd::message(const link::Message& message)
{
    window_.windowRun_.message(message.kind, platform::qtText(link::shownText(message)));
}

bool MainWindowFrontEnd::ask(const link::Message& question)
{
    return window_.windowRun_.ask(platform::qtText(link::shownText(question)));
}

bool MainWindowFrontEnd::cancelRequested()
{
    return window_.CancelRequested || window_.windowRun_.closeRequested();
}

}  // namespace korvel::mainwindow
