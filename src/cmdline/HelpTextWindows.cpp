#include "cmdline/HelpText.h"

namespace korvel::cmdline {

std::string portDeviceExamples()
{
    return "COM3 or \\\\.\\COM12";
}

// Ctrl-C ends the program as Windows ends any console program, with no
// status of the program's own.
std::vector<HelpEntry> signalExitStatuses()
{
    return {};
}

}  // namespace korvel::cmdline
