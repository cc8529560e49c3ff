#include "cmdline/HelpText.h"

namespace korvel::cmdline {

std::string portDeviceExamples()
{
    return "/dev/ttyUSB0 or /dev/serial/by-id/...";
}

std::vector<HelpEntry> signalExitStatuses()
{
    return {
        {"129", "interrupted by SIGHUP (the terminal was closed)"},
        {"130", "interrupted by SIGINT (Ctrl-C)"},
        {"143", "interrupted by SIGTERM"},
    };
}

}  // namespace korvel::cmdline
