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

// The places of settings/FilePlaces, in words.
std::vector<HelpEntry> programFiles()
{
    return {
        {"AVRBootloaderKorvel.ports",
         "COMn=<device> lines that give port numbers their devices: in ~/.config/avrbootloaderkorvel/ "
         "($XDG_CONFIG_HOME/avrbootloaderkorvel/), beside the executable for a copy in a folder of your own; an "
         "installed program reads the one beside it while you have none"},
        {"AVRBootloaderKorvel.cfg",
         "the window's choices, written by Exit and never by a command-line run: in the same places as the ports "
         "file"},
    };
}

}  // namespace korvel::cmdline
