// The unattended download of a command-line run: with the compact main window
// and message boxes, or on the terminal alone.
#include "cmdline/CmdLineDownload.h"

#include "base/ForeignText.h"
#include "cmdline/LogFrontEnd.h"
#include "cmdline/RunLog.h"
#include "cmdline/RunRecord.h"
#include "cmdline/StationRun.h"
#include "link/BootloaderLink.h"
#include "mainwindow/CompactLog.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/SettingsWarning.h"
#include "platform/DownloadTimers.h"
#include "platform/Messages.h"
#include "platform/PortMap.h"
#include "platform/ProgramInfo.h"
#include "platform/SystemText.h"
#include "platform/WindowMeasures.h"
#include "settings/SettingsFile.h"
#include "system/StopRequests.h"

namespace korvel::cmdline {

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
    choice.portWaitSeconds = state.portWaitSeconds;
    return choice;
}

// What the run is asked to do, for the first line of its record.
std::string runDescription(const StartupState& state, const std::string& portLabel)
{
    std::string description =
        "AVRBootloaderKorvel " +
        platform::programText(platform::versionNumberText(platform::kVersionMajor, platform::kVersionMinor));
    if (!state.EEPROMFileName.empty())
        description += "; EEPROM " + escapedForeign(state.EEPROMFileName);
    if (!state.FLASHFileName.empty())
        description += "; FLASH " + escapedForeign(state.FLASHFileName);
    return description + "; port " + portLabel;
}

// The download itself, on the port and files of the program's surroundings,
// with the one synchronisation window of a command-line run.
link::DownloadResult download(const StartupState& state, RunSurroundings& surroundings, LogFrontEnd& frontEnd,
                              platform::DownloadTimers& timers)
{
    link::Flavour flavour;
    flavour.sharedSyncWindow = true;
    // The operator may need longer than the designed window to power or
    // reset the board; the second phase then gets as long again.
    if (state.syncSeconds > 0) {
        timers.TmrSyn.setInterval(state.syncSeconds * 1000);
        flavour.phase2WindowMs = state.syncSeconds * 1000;
    }
    link::BootloaderLink link(platform::downloadSeams(timers, surroundings.port, frontEnd, surroundings.files),
                              flavour);
    return link.DownloadFiles(choiceOf(state));
}

// The window's settings warning is a box, and a line on the terminal.
link::DownloadResult downloadWithWindow(const StartupState& state, RunSurroundings& surroundings,
                                        TerminalReport& terminal, RunRecord& record, RunLog& runLog)
{
    mainwindow::MainWindowSetup setup = surroundings.windowSetup;
    setup.settingsWarning = [&terminal](const QString& warning) {
        terminal.message(platform::programText(warning), false);
        platform::showBox(nullptr, platform::qtText(platform::kApplicationTitle), link::MessageKind::Warning, warning);
    };
    mainwindow::FrmMain window(setup);
    window.Form_Load();
    LogFrontEnd frontEnd(terminal, &window.compactLog(), record, runLog);
    return window.windowRun().run([&] { return download(state, surroundings, frontEnd, window.timers()); });
}

// Without a window the settings file serves no purpose: a production station
// has none, which goes unmentioned. One that is there is still judged as the
// window judges it, so that a damaged file is reported. The port list it
// refers to is taken as every port the program offers: probing them all would
// open every device.
link::DownloadResult downloadInConsole(const StartupState& state, RunSurroundings& surroundings,
                                       TerminalReport& terminal, RunRecord& record, RunLog& runLog)
{
    const QString& settingsPath = surroundings.settingsPath;
    const auto file = settings::readSettingsFile(settingsPath, platform::kLastPort - platform::kFirstPort + 1);
    if (const auto warning = mainwindow::settingsLoadWarning(file, settingsPath, true))
        terminal.message(platform::programText(*warning), false);
    platform::DownloadTimers timers;
    LogFrontEnd frontEnd(terminal, nullptr, record, runLog);
    return download(state, surroundings, frontEnd, timers);
}

}  // namespace

// Every run closes with a summary line; a stopped run and one with skipped
// lines say so on the terminal first. The window keeps silent about them.
int CmdLineDownload(const StartupState& state, RunSurroundings& surroundings, Face face, TerminalReport& terminal)
{
    // Several ports, or a station: on the terminal, whatever the face.
    if (!state.morePortDevices.empty() || state.station)
        return StationRun(state, surroundings, terminal);
    const link::DownloadChoice choice = choiceOf(state);
    RunRecord record(choice.flash, choice.eeprom);
    // The port is named even where the run ends before it opens it.
    surroundings.port.setPortNumber(state.CmdLineComPort);
    RunLog runLog([&terminal](const std::string& complaint) { terminal.message(complaint, false); });
    std::string refused;
    if (!state.logPath.empty() && !runLog.open(state.logPath))
        refused = runLog.reason();
    // A log appended to a HEX file would damage it for later runs: nothing
    // is written to it.
    for (const auto& [file, path] :
         {std::pair{"the EEPROM file ", &state.EEPROMFileName}, std::pair{"the FLASH file ", &state.FLASHFileName}}) {
        if (refused.empty() && !state.logPath.empty() && !path->empty() && runLog.isFile(*path))
            refused = "it is " + std::string(file) + escapedForeign(*path);
    }
    if (!refused.empty()) {
        const std::string refusal = "AVRBootloaderKorvel: the log " + escapedForeign(state.logPath) +
                                    " cannot be written: " + refused +
                                    ". Give --log a file of your own that you may write.";
        terminal.message(refusal, false);
        if (face == Face::Windowed)
            platform::showBox(nullptr, platform::qtText(platform::kApplicationTitle), link::MessageKind::Warning,
                              platform::qtText(refusal));
        return kExitRefused;
    }
    runLog.line("Run started: " + runDescription(state, surroundings.port.portLabel()));
    const link::DownloadResult result = face == Face::Windowed
                                            ? downloadWithWindow(state, surroundings, terminal, record, runLog)
                                            : downloadInConsole(state, surroundings, terminal, record, runLog);
    // A run stopped inside a file still completes that file's count line.
    terminal.endCount();
    const RunRecord::Facts facts = record.facts(result, system::stopRequested());
    const RunRecord::Closing closing = record.close(facts, surroundings.port.portLabel());
    if (!closing.note.empty()) {
        terminal.message(closing.note, false);
        runLog.line(closing.note);
    }
    terminal.message(closing.summary, true);
    runLog.line(closing.summary);
    return closing.exitStatus;
}

}  // namespace korvel::cmdline
