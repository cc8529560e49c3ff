#include "cmdline/HelpText.h"

namespace korvel::cmdline {

std::string portDeviceExamples()
{
    return "COM3 or COM12";
}

// The console's stop events, which a run answers as the signals elsewhere.
std::vector<HelpEntry> signalExitStatuses()
{
    return {
        {"129", "interrupted: the console was closed"},
        {"130", "interrupted by Ctrl-C or Ctrl-Break"},
    };
}

}  // namespace korvel::cmdline
