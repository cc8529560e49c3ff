#include "startup/CmdLine.h"

#include "infowindow/FrmInfo.h"
#include "mainwindow/FrmMain.h"
#include "platform/ProgramInfo.h"
#include "platform/messages.h"
#include "startup/ProgramSurroundings.h"

#include <QApplication>

#include <algorithm>

namespace korvel::startup {

namespace {

void showStartupMessage(const std::string& text)
{
    platform::showMessage(nullptr, QString::fromUtf8(kApplicationTitle), QString::fromLocal8Bit(text),
                          link::MessageIcon::None);
}

// The information box first, then the main window until the user closes it.
int runInteractive(const QString& programDir)
{
    FrmInfo::showModal();
    ProgramSurroundings surroundings(programDir);
    FrmMain window(surroundings.mainWindowSetup(false));
    window.Form_Load();
    window.show();
    return QApplication::exec();
}

}  // namespace

int Main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
    const ParsedArgs parsed = parseArguments(args);

    // The command line is the program's own: Qt sees only the program name.
    char programName[] = "AVRBootloaderKorvel";
    char* qtArgv[] = {argc > 0 ? argv[0] : programName, nullptr};
    int qtArgc = 1;
    QApplication application(qtArgc, qtArgv);
    return RunStartup(parsed, QCoreApplication::applicationDirPath());
}

int RunStartup(const ParsedArgs& parsed, const QString& programDir)
{
    switch (parsed.verdict) {
    case ArgsVerdict::Interactive:
        return runInteractive(programDir);
    case ArgsVerdict::UsageRequested:
        showStartupMessage(parsed.message);
        return kExitUsageRequested;
    case ArgsVerdict::Refused:
        showStartupMessage(parsed.message);
        return kExitRefused;
    case ArgsVerdict::CommandLine:
        return CmdLineDownload(parsed.state, programDir);
    }
    return kExitRefused;
}

}  // namespace korvel::startup
