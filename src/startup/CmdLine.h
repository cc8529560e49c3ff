#pragma once

#include "startup/CmdLineArgs.h"

#include <QString>

namespace korvel::startup {

// The program: reads the arguments, starts the application and runs the mode
// they ask for. Gives the exit status.
int Main(int argc, char** argv);

// Runs the mode the arguments ask for inside the running application.
// `programDir` is the executable's directory, which holds the settings and
// ports files. Gives the exit status.
int RunStartup(const ParsedArgs& parsed, const QString& programDir);

// The unattended download of a command-line run.
int CmdLineDownload(const StartupState& state, const QString& programDir);

}  // namespace korvel::startup
