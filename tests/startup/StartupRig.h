#pragma once

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <sstream>

#include <gtest/gtest.h>

#include "BoxAnswerer.h"
#include "MemoryTerminal.h"
#include "Tools.h"
#include "cmdline/TerminalReport.h"
#include "infowindow/FrmInfo.h"
#include "mainwindow/FrmMain.h"
#include "startup/CmdLine.h"

// A program directory whose ports name no real device unless port 1 is
// mapped, with a settings file that is valid whatever ports are listed.
class ProgramDir {
public:
    explicit ProgramDir(bool withSettings = true)
    {
        mapPort1(QFile::encodeName(dir_.path()) + "/no-tty");
        if (withSettings)
            writeFile(settingsPath(), kSettings);
    }

    void mapPort1(const QByteArray& device) const
    {
        QByteArray ports = "COM1=" + device + "\n";
        for (int number = 2; number <= 16; ++number)
            ports += "COM" + QByteArray::number(number) + "=" + QFile::encodeName(dir_.path()) + "/no-tty\n";
        writeFile(dir_.filePath(QStringLiteral("AVRBootloaderKorvel.ports")), ports);
    }

    QString path() const { return dir_.path(); }
    QString settingsPath() const { return dir_.filePath(QStringLiteral("AVRBootloaderKorvel.cfg")); }
    QByteArray settingsContent() const { return fileContents(settingsPath()); }

    static inline const QByteArray kSettings = "-1\r\n1\r\n\"/tmp/app.hex\"\r\n0\r\n\"\"\r\n";

private:
    QTemporaryDir dir_;
};

// Notes each main window as it is first shown and, when asked to, closes it
// at once, as the window system's close command would.
class MainWindowWatcher : public QObject {
public:
    explicit MainWindowWatcher(bool close = false) : close_(close) { qApp->installEventFilter(this); }
    ~MainWindowWatcher() override { qApp->removeEventFilter(this); }

    int shown = 0;
    bool compactLayout = false;
    bool stayedOpen = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = qobject_cast<korvel::mainwindow::FrmMain*>(watched);
        if (!window || event->type() != QEvent::Show)
            return false;
        ++shown;
        compactLayout = window->findChild<QLabel*>(QStringLiteral("LblCmdLin"))->isVisible();
        if (close_)
            QTimer::singleShot(0, window, [this, window] {
                window->close();
                stayedOpen = window->isVisible();
            });
        return false;
    }

private:
    bool close_;
};

// A start without arguments: the information box, then the main window, which
// is closed as Exit closes it. The texts of the message boxes shown, one a line.
inline std::string startAndExit(const QString& programDir)
{
    MainWindowWatcher closer(true);
    BoxAnswerer answerer;
    bool infoFirst = false;
    QTimer::singleShot(0, qApp, [&] {
        auto* info = qobject_cast<korvel::infowindow::FrmInfo*>(QApplication::activeModalWidget());
        infoFirst = info && closer.shown == 0;
        if (info)
            info->accept();
    });
    MemoryTerminal terminal;
    EXPECT_EQ(korvel::startup::runStartup({}, programDir, korvel::cmdline::Face::Windowed, terminal.streams()), 0);
    EXPECT_TRUE(infoFirst);
    EXPECT_EQ(closer.shown, 1);
    EXPECT_FALSE(closer.compactLayout);
    return answerer.texts().join(QLatin1Char('\n')).toStdString();
}
