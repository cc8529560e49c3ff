#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvel::cmdline {

// What the command line says: the files to send (an empty name asks for no
// file), the port and whether the run stays on the terminal.
struct StartupState {
    std::string FLASHFileName;
    std::string EEPROMFileName;
    std::int16_t CmdLineComPort = 0;
    bool console = false;                // "/console" was given
    std::string CmdLinePortDevice = {};  // the device given with "/port", which then stands for the port
};

enum class ArgsVerdict {
    Interactive,       // no arguments: the windows take over
    CommandLine,       // an unattended download of `state`
    UsageRequested,    // "-h", "--help" or "/?": show `message`, exit status 0
    VersionRequested,  // "--version": write the program's name and version, exit status 0
    PortsListed,       // "--ports": write the ports and their devices, exit status 0
    Refused,           // the command line cannot be used: show `message`, exit status 2
};

struct ParsedArgs {
    ArgsVerdict verdict = ArgsVerdict::Interactive;
    StartupState state;   // complete for CommandLine; otherwise only `console`
    std::string message;  // the text of the message box, when one is shown
};

extern const char* const kUsageMessage;
extern const char* const kNoComPortMessage;

inline constexpr int kExitInfoShown = 0;  // the usage or the version was asked for
inline constexpr int kExitRefused = 2;

// Reads the arguments that follow the program's name. Options are whole
// arguments: "/f" and "/e" each followed by a file name (the arguments up to
// the next option, joined by single blanks), "/comN" with N in decimal or
// "/port" followed by a device, and "/console"; "-h", "--help", "/?",
// "--version" and "--ports" anywhere. Words before the first file option are
// ignored, and of several ports (by number or by device) the first counts.
ParsedArgs parseArguments(const std::vector<std::string>& args);

}  // namespace korvel::cmdline
