#include "startup/CmdLine.h"
#include "platform/SystemText.h"

#include "cmdline/HelpText.h"
#include "infowindow/FrmInfo.h"
#include "mainwindow/FrmMain.h"
#include "platform/Messages.h"
#include "platform/ProgramInfo.h"
#include "platform/StopWatch.h"
#include "platform/WindowMeasures.h"
#include "startup/ProgramSurroundings.h"
#include "startup/WindowSystem.h"
#include "system/StopRequests.h"
#include "system/Terminal.h"

#include <QApplication>

#include <ostream>

namespace korvel::startup {

using namespace cmdline;

namespace {

// A start without arguments where no window can be shown: the cause, then
// how to download from a terminal.
QString noWindowsMessage(const QString& problem)
{
    return QStringLiteral("AVRBootloaderKorvel: the windows need a display: ") + problem +
           QStringLiteral(".\nTo download from a terminal: AVRBootloaderKorvel /com<x> /f <FlashFileName> "
                          "[/e <EEPROMFileName>] /console");
}

void writeError(const QString& text)
{
    system::standardError() << platform::programText(text) << std::endl;
}

QString versionLine()
{
    return QStringLiteral("AVRBootloaderKorvel ") +
           platform::versionNumberText(platform::kVersionMajor, platform::kVersionMinor);
}

// The box shows `text`; the terminal shows it followed by `more`, which only
// a terminal has room for.
void showStartupMessage(const std::string& text, bool toStandardOutput, Face face, TerminalReport& terminal,
                        const std::string& more = {})
{
    terminal.message(text + more, toStandardOutput);
    if (face == Face::Windowed)
        platform::showBox(nullptr, platform::qtText(platform::kApplicationTitle), link::MessageKind::Information,
                          platform::qtText(text));
}

// The information box first, then the main window until the user closes it.
// A stop signal closes the windows as the user would; it ends the start
// before the main window is shown when it comes during the boxes.
int runInteractive(const QString& programDir)
{
    infowindow::FrmInfo::showModal();
    if (const system::StopRequest stop = system::stopRequested(); stop != system::StopRequest::None)
        return system::exitStatusOf(stop);
    ProgramSurroundings surroundings(programDir);
    mainwindow::FrmMain window(surroundings.mainWindowSetup(false));
    window.Form_Load();
    if (const system::StopRequest stop = system::stopRequested(); stop != system::StopRequest::None)
        return system::exitStatusOf(stop);
    window.show();
    const int status = QApplication::exec();
    const system::StopRequest stop = system::stopRequested();
    return stop != system::StopRequest::None ? system::exitStatusOf(stop) : status;
}

}  // namespace

int Main(int argc, char** argv)
{
    // Before anything is opened: no file or port may take the place of a
    // standard stream the program was started without.
    system::prepareStandardStreams();
    const ParsedArgs parsed = parseArguments(system::programArguments(argc, argv));
    // A program built for the windows that was started from a console for a
    // command-line run writes its text there; the stop requests are received
    // from then on.
    system::StopRequests stops(parsed.verdict != ArgsVerdict::Interactive ? system::ParentConsole::Join
                                                                          : system::ParentConsole::Keep);
    using system::StandardStream;
    const TerminalReport::Streams streams{system::standardOutput(),
                                          system::standardError(),
                                          stops.input(),
                                          system::isTerminal(StandardStream::Output),
                                          system::isTerminal(StandardStream::Input),
                                          system::isTerminal(StandardStream::Error),
                                          system::outputColumns};

    // The command line is the program's own: Qt sees only the program name.
    char programName[] = "AVRBootloaderKorvel";
    char* programPath = argc > 0 ? argv[0] : programName;
    if (!parsed.state.console && parsed.verdict != ArgsVerdict::VersionRequested &&
        parsed.verdict != ArgsVerdict::PortsListed) {
        const WindowSystem windows(programPath);
        if (windows.opened()) {
            // A stop acts as the user closing every window.
            platform::watchStopRequests([] { QApplication::closeAllWindows(); });
            return runStartup(parsed, QCoreApplication::applicationDirPath(), Face::Windowed, streams);
        }
        if (parsed.verdict == ArgsVerdict::Interactive) {
            writeError(noWindowsMessage(windows.problem()));
            return kExitRefused;
        }
        // Without any display the terminal is the expected place; a display
        // that is named but cannot be opened deserves a word.
        if (windows.displayNamed())
            writeError(QStringLiteral("AVRBootloaderKorvel: ") + windows.problem() +
                       QStringLiteral("; going on without windows."));
    }
    char* qtArgv[] = {programPath, nullptr};
    int qtArgc = 1;
    QCoreApplication application(qtArgc, qtArgv);
    platform::watchStopRequests(nullptr);
    return runStartup(parsed, QCoreApplication::applicationDirPath(), Face::Console, streams);
}

int runStartup(const ParsedArgs& parsed, const QString& programDir, Face face, const TerminalReport::Streams& streams)
{
    TerminalReport terminal(streams, face == Face::Console);
    switch (parsed.verdict) {
    case ArgsVerdict::Interactive:
        return runInteractive(programDir);
    case ArgsVerdict::UsageRequested:
        showStartupMessage(parsed.message, true, face, terminal, cmdline::helpMore());
        return kExitInfoShown;
    case ArgsVerdict::VersionRequested:
        terminal.message(platform::programText(versionLine()), true);
        return kExitInfoShown;
    case ArgsVerdict::PortsListed:
        terminal.message(platform::programText(ProgramSurroundings(programDir).portsReport()), true);
        return kExitInfoShown;
    case ArgsVerdict::Refused:
        showStartupMessage(parsed.message, false, face, terminal);
        return kExitRefused;
    case ArgsVerdict::CommandLine: {
        ProgramSurroundings surroundings(programDir, parsed.state.CmdLinePortDevice);
        RunSurroundings run = surroundings.runSurroundings();
        return CmdLineDownload(parsed.state, run, face, terminal);
    }
    }
    return kExitRefused;
}

}  // namespace korvel::startup
