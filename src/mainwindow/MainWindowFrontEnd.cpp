#include "mainwindow/MainWindowFrontEnd.h"

#include <QLabel>
#include <QPushButton>

#include "mainwindow/FrmMain.h"
#include "platform/messages.h"

namespace korvel {

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
    showVersion(kVersionPrefix + QString::fromStdString(version));
}

void MainWindowFrontEnd::openingFile(link::FileKindCode, const std::string& path)
{
    showStatus(QStringLiteral("Opening the file ") + QString::fromStdString(path) + QLatin1Char('.'));
}

void MainWindowFrontEnd::fileOpened(link::FileKindCode, const std::string&) {}

void MainWindowFrontEnd::sendingFile(link::FileKindCode kind)
{
    showStatus(kind == link::EepromFile ? QStringLiteral("Sending EEPROM file - lines remaining ")
                                        : QStringLiteral("Sending FLASH file - lines remaining "));
}

void MainWindowFrontEnd::showLinesLeft(int linesLeft)
{
    window_.LblLineSent->setText(QString::number(linesLeft));
    window_.LblLineSent->show();
}

void MainWindowFrontEnd::betweenFiles() {}

void MainWindowFrontEnd::message(const std::string& text, link::MessageIcon icon)
{
    platform::showMessage(&window_, window_.caption(), QString::fromStdString(text), icon);
}

bool MainWindowFrontEnd::ask(const std::string& question)
{
    // Once the user has closed the window, the download is only wound up.
    if (window_.closeRequested_)
        return false;
    return platform::askYesNo(&window_, window_.caption(), QString::fromStdString(question));
}

void MainWindowFrontEnd::enterIdle()
{
    window_.SetIdleState();
}

void MainWindowFrontEnd::focusFlashBrowse()
{
    window_.CmdBtnFLASH->setFocus();
}

bool MainWindowFrontEnd::cancelRequested()
{
    return window_.CancelRequested;
}

}  // namespace korvel
