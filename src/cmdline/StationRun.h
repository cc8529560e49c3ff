#pragma once

#include "cmdline/CmdLineArgs.h"
#include "cmdline/CmdLineDownload.h"
#include "cmdline/TerminalReport.h"

namespace korvel::cmdline {

// A run of several ports at once (/port given more than once), or a
// programming station (--station) that programs board after board on each of
// its ports until a stop signal or --count boards in all. The chosen files
// are read and checked once, and again before the next board when one of
// them changed on disk. Each port runs the designed download of a command-line
// run on a thread of its own: the download waits by polling the events of its
// thread, so that two on one thread would nest, the outer one standing still
// until the inner one ended. Each board ends with its own summary line, the
// run with a tally line. Gives the exit status: 0 when every board was good,
// 3 when none failed but lines were skipped, 1 otherwise; 128 plus the signal
// after a stop signal.
int StationRun(const StartupState& state, RunSurroundings& surroundings, TerminalReport& terminal);

}  // namespace korvel::cmdline
