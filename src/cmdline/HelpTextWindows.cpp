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

// The places of settings/FilePlaces, in words; Windows names its own ports.
std::vector<HelpEntry> programFiles()
{
    return {
        {"AVRBootloaderKorvel.cfg",
         "the window's choices, written by Exit and never by a command-line run: beside the program, or in "
         "%APPDATA%\\AVRBootloaderKorvel when the program's folder cannot be written"},
    };
}

}  // namespace korvel::cmdline
