// The unattended download of a command-line run: with the compact main window
// and message boxes, or on the terminal alone.
#include "cmdline/CmdLineDownload.h"

#include "base/ForeignText.h"
#include "cmdline/BoardRecord.h"
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
#include "platform/PortDescription.h"
#include "platform/PortMap.h"
#include "platform/ProgramInfo.h"
#include "platform/SystemText.h"
#include "platform/WindowMeasures.h"
#include "settings/SettingsFile.h"
#include "system/StopRequests.h"

#include <QFile>
#include <QSysInfo>

#include <utility>
#include <vector>

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

std::string versionText()
{
    return platform::programText(platform::versionNumberText(platform::kVersionMajor, platform::kVersionMinor));
}

// What the run is asked to do, for the first line of its log.
std::string runDescription(const StartupState& state, const std::string& portLabel)
{
    std::string description = "AVRBootloaderKorvel " + versionText();
    if (!state.tag.empty())
        description += "; tag " + escapedForeign(state.tag);
    if (!state.EEPROMFileName.empty())
        description += "; EEPROM " + escapedForeign(state.EEPROMFileName);
    if (!state.FLASHFileName.empty())
        description += "; FLASH " + escapedForeign(state.FLASHFileName);
    return description + "; port " + portLabel;
}

// The files a run appends to, checked before anything is written: each must
// open, and none may be a file to send, which the run would damage for later
// runs, or the other one. The refusal in words; empty: none.
std::string appendRefusal(const StartupState& state, RunLog& runLog, BoardRecord& boardRecord)
{
    using Others = std::vector<std::pair<std::string, const std::string*>>;
    Others others{{"the EEPROM file ", &state.EEPROMFileName}, {"the FLASH file ", &state.FLASHFileName}};
    const auto check = [&others](const char* name, const char* option, const std::string& path, auto& file) {
        if (path.empty())
            return std::string();
        std::string why = file.open(path) ? "" : file.reason();
        for (const auto& [what, other] : others) {
            if (why.empty() && !other->empty() && file.isFile(*other))
                why = "it is " + what + escapedForeign(*other);
        }
        if (why.empty())
            return why;
        return "AVRBootloaderKorvel: the " + std::string(name) + " " + escapedForeign(path) +
               " cannot be written: " + why + ". Give " + option + " a file of its own that you may write.";
    };
    std::string refusal = check("log", "--log", state.logPath, runLog);
    others.emplace_back("the log ", &state.logPath);
    if (refusal.empty())
        refusal = check("record", "--record", state.recordPath, boardRecord);
    return refusal;
}

}  // namespace

RunPlace runPlace(std::int16_t portNumber, const platform::DeviceSerialPort& port)
{
    RunPlace place;
    place.program = "AVRBootloaderKorvel";
    place.version = versionText();
    place.host = platform::programText(QSysInfo::machineHostName());
    if (portNumber > 0)
        place.port = "COM" + std::to_string(portNumber);
    if (const auto device = port.deviceToOpen()) {
        place.device = *device;
        const platform::DeviceFacts facts = platform::deviceFacts(QFile::decodeName(device->c_str()));
        place.usbVendorId = platform::programText(facts.vendorId);
        place.usbProductId = platform::programText(facts.productId);
        place.usbSerialNumber = platform::programText(facts.serialNumber);
    }
    return place;
}

namespace {

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
    const link::DownloadChoice choice = choiceOf(state);
    RunRecord record(choice.flash, choice.eeprom, state.tag);
    // The port is named even where the run ends before it opens it.
    surroundings.port.setPortNumber(state.CmdLineComPort);
    RunLog runLog([&terminal](const std::string& complaint) { terminal.message(complaint, false); });
    BoardRecord boardRecord;
    const auto warn = [&terminal, face](const std::string& warning) {
        terminal.message(warning, false);
        if (face == Face::Windowed)
            platform::showBox(nullptr, platform::qtText(platform::kApplicationTitle), link::MessageKind::Warning,
                              platform::qtText(warning));
    };
    if (const std::string refusal = appendRefusal(state, runLog, boardRecord); !refusal.empty()) {
        warn(refusal);
        return kExitRefused;
    }
    // Several ports, or a station: on the terminal, whatever the face; each
    // port keeps its own log and record lines.
    if (!state.morePortDevices.empty() || state.station)
        return StationRun(state, surroundings, terminal);
    runLog.line("Run started: " + runDescription(state, surroundings.port.portLabel()));
    const link::DownloadResult result = face == Face::Windowed
                                            ? downloadWithWindow(state, surroundings, terminal, record, runLog)
                                            : downloadInConsole(state, surroundings, terminal, record, runLog);
    // A run stopped inside a file still completes that file's count line.
    terminal.endCount();
    const RunRecord::Facts facts = record.facts(result, system::stopRequested());
    // The board's record is written before the closing lines, so that a
    // record that failed is said before the summary that ends the run.
    if (boardRecord.isOpen() &&
        !boardRecord.append(facts,
                            runPlace(state.CmdLinePortDevice.empty() ? state.CmdLineComPort : 0, surroundings.port))) {
        const std::string failure = "AVRBootloaderKorvel: the record " + escapedForeign(state.recordPath) +
                                    " could not be written: " + boardRecord.reason() + ". This run has no record.";
        runLog.line(failure);
        warn(failure);
    }
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
