#include "startup/CmdLine.h"

#include "mainwindow/FrmMain.h"
#include "startup/ProgramSurroundings.h"

namespace korvel::startup {

int CmdLineDownload(const StartupState& state, const QString& programDir)
{
    ProgramSurroundings surroundings(programDir);
    FrmMain window(surroundings.mainWindowSetup(state.CmdLineMode));
    window.Form_Load();
    window.show();
    // NOT YET BUILT: the unattended download of state's files over port
    // state.CmdLineComPort, with its log on this window, runs here. Until then
    // the run ends as soon as the compact window is shown.
    return 0;
}

}  // namespace korvel::startup
