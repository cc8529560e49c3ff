#pragma once

#include "startup/CmdLineArgs.h"
#include "startup/TerminalReport.h"

#include <QString>

namespace korvel::startup {

// How the program meets its user: with windows and message boxes, or on the
// terminal alone.
enum class Face { Windows, Console };

inline constexpr int kExitDownloaded = 0;    // the download succeeded
inline constexpr int kExitRunFailed = 1;     // the run failed, or was stopped by its user
inline constexpr int kExitLinesSkipped = 3;  // the download ended well, but lines were skipped

// The program: reads the arguments, starts the application and runs the mode
// they ask for. Gives the exit status.
int Main(int argc, char** argv);

// Runs the mode the arguments ask for inside the running application; an
// interactive start needs Face::Windows.
// `programDir` is the executable's directory, which holds the settings and
// ports files. Gives the exit status.
int runStartup(const ParsedArgs& parsed, const QString& programDir, Face face, const TerminalReport::Streams& streams);

// The unattended download of a command-line run. Gives the exit status.
int CmdLineDownload(const StartupState& state, const QString& programDir, Face face, TerminalReport& terminal);

}  // namespace korvel::startup
