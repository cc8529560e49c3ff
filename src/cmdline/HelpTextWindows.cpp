#include "cmdline/HelpText.h"

namespace korvel::cmdline {

std::string portDeviceExamples()
{
    return "COM3 or \\\\.\\COM12";
}

std::vector<HelpEntry> signalExitStatuses()
{
    return {{"130", "interrupted by Ctrl-C"}};
}

}  // namespace korvel::cmdline
