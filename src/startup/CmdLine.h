#pragma once

#include "cmdline/CmdLineDownload.h"

#include <QString>

namespace korvel::startup {

// The program: reads the arguments, starts the application and runs the mode
// they ask for. Gives the exit status.
int Main(int argc, char** argv);

// Runs the mode the arguments ask for inside the running application; an
// interactive start needs Face::Windowed.
// `programDir` is the executable's directory, which holds the settings and
// ports files. Gives the exit status.
int runStartup(const cmdline::ParsedArgs& parsed, const QString& programDir, cmdline::Face face,
               const cmdline::TerminalReport::Streams& streams);

}  // namespace korvel::startup
