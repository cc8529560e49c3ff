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
    int portWaitSeconds = 0;             // "--wait-port": how long to wait for the port to appear; 0: no wait
    int syncSeconds = 0;                 // "--sync-seconds": the window for the first "$"; 0: the usual one
    std::string logPath = {};            // "--log": the file that keeps a record of each run; empty: none
    std::string recordPath = {};         // "--record": the file that keeps a JSON line per run; empty: none
    std::string tag = {};                // "--tag": a board serial, a station or an operator; empty: none
    // "/port" given again: the devices of further ports, each of which runs
    // its own download at the same time.
    std::vector<std::string> morePortDevices = {};
    bool station = false;  // "--station": each port programs board after board
    int boardCount = 0;    // "--count": boards in all before a station ends; 0: until a stop
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
    std::string message;  // the text of the message box, when one is shown; for a refusal the designed text,
                          // then on a line of its own what was refused and why
};

// The ranges of the options that take seconds.
inline constexpr int kMostPortWaitSeconds = 3600;
inline constexpr int kMostSyncSeconds = 600;
// The most boards a station may be asked to program with --count.
inline constexpr int kMostBoards = 1000000;

extern const char* const kUsageMessage;
extern const char* const kNoComPortMessage;

// Reads the arguments that follow the program's name. Options are whole
// arguments: "/f" and "/e" each followed by a file name (the arguments up to
// the next option, joined by single blanks), "/comN" with N in decimal or
// "/port" followed by a device, "/console", "--wait-port SECONDS",
// "--sync-seconds SECONDS", "--log FILE", "--record FILE" and "--tag TEXT"
// (one argument, blanks and all); "-h", "--help", "/?",
// "--version" and "--ports" anywhere. Words before the first file option are
// ignored, unless they begin with "-" like an option; of several ports (by
// number or by device) the first counts. An argument that begins with "--"
// is always an option, never part of a file name.
ParsedArgs parseArguments(const std::vector<std::string>& args);

}  // namespace korvel::cmdline
