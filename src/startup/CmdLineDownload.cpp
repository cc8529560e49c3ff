// The unattended download of a command-line run: with the compact main window
// and message boxes, or on the terminal alone.
#include "startup/CmdLine.h"

#include "link/BootloaderLink.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/SettingsWarning.h"
#include "platform/DownloadTimers.h"
#include "platform/PortMap.h"
#include "settings/SettingsFile.h"
#include "startup/LogFrontEnd.h"
#include "startup/LogWindow.h"
#include "startup/ProgramSurroundings.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace korvel::startup {

namespace {

link::DownloadChoice choiceOf(const StartupState& state)
{
    link::DownloadChoice choice;
    // A file is asked for by a name; "/f" alone names none.
    choice.flash = !state.FLASHFileName.empty();
    choice.eeprom = !state.EEPROMFileName.empty();
    choice.flashPath = state.FLASHFileName;
    choice.eepromPath = state.EEPROMFileName;
    choice.port = state.CmdLineComPort;
    return choice;
}

int exitStatusOf(link::DownloadResult result)
{
    return result == link::DownloadResult::Success ? kExitDownloaded : kExitRunFailed;
}

// Writes the text of every message box shown while it lives to the error
// output: the main window's own warnings while it loads.
class MessageBoxEcho : public QObject {
public:
    explicit MessageBoxEcho(TerminalReport& terminal) : terminal_(terminal) { qApp->installEventFilter(this); }
    ~MessageBoxEcho() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (auto* box = qobject_cast<QMessageBox*>(watched); box && event->type() == QEvent::Show)
            terminal_.message(box->text(), false);
        return false;
    }

private:
    TerminalReport& terminal_;
};

// The download itself, on the port and files of the program's surroundings,
// with the one synchronisation window of a command-line run.
link::DownloadResult download(const StartupState& state, ProgramSurroundings& surroundings, LogFrontEnd& frontEnd,
                              platform::DownloadTimers& timers)
{
    link::BootloaderLink link(platform::downloadSeams(timers, surroundings.port(), frontEnd, surroundings.files()),
                              link::Flavour{true});
    return link.DownloadFiles(choiceOf(state));
}

int downloadWithWindow(const StartupState& state, ProgramSurroundings& surroundings, TerminalReport& terminal)
{
    FrmMain window(surroundings.mainWindowSetup(true));
    {
        const MessageBoxEcho echo(terminal);
        window.Form_Load();
    }
    LogWindow logWindow(window);
    LogFrontEnd frontEnd(terminal, &logWindow);
    return exitStatusOf(
        window.windowRun().run([&] { return download(state, surroundings, frontEnd, window.timers()); }));
}

// Without a window the settings file serves no purpose: a production station
// has none, which goes unmentioned. One that is there is still checked, so
// that a damaged file is reported. The port list it refers to is taken as
// every port the program offers: probing them all would open every device.
void checkSettingsFile(const QString& path, TerminalReport& terminal)
{
    if (!QFileInfo::exists(path))
        return;
    if (!settings::readSettingsFile(path, platform::kLastPort - platform::kFirstPort + 1))
        terminal.message(settingsLoadWarning(path), false);
}

int downloadInConsole(const StartupState& state, ProgramSurroundings& surroundings, TerminalReport& terminal)
{
    checkSettingsFile(surroundings.settingsPath(), terminal);
    platform::DownloadTimers timers;
    LogFrontEnd frontEnd(terminal, nullptr);
    return exitStatusOf(download(state, surroundings, frontEnd, timers));
}

}  // namespace

int CmdLineDownload(const StartupState& state, const QString& programDir, Face face, TerminalReport& terminal)
{
    ProgramSurroundings surroundings(programDir, state.CmdLinePortDevice);
    const int status = face == Face::Windows ? downloadWithWindow(state, surroundings, terminal)
                                             : downloadInConsole(state, surroundings, terminal);
    // A run stopped inside a file still completes that file's count line.
    terminal.endCount();
    return status;
}

}  // namespace korvel::startup
