#pragma once

#include "cmdline/BoardRecord.h"
#include "cmdline/CmdLineArgs.h"
#include "cmdline/ExitStatus.h"
#include "cmdline/TerminalReport.h"
#include "link/HexFile.h"
#include "mainwindow/FrmMain.h"
#include "platform/DeviceSerialPort.h"

#include <QString>

namespace korvel::cmdline {

// How a run meets its user: with windows and message boxes, or on the
// terminal alone.
enum class Face { Windowed, Console };

// What a command-line run works with, composed by the start-up: the port and
// HEX files of the program, the main window's compact arrangement, and the
// settings file that such a run checks but never uses.
struct RunSurroundings {
    platform::DeviceSerialPort& port;
    link::HexFiles& files;
    platform::PortMap portMap;  // the devices of the ports, for a run of several
    mainwindow::MainWindowSetup windowSetup;
    QString settingsPath;
};

// Where a run on `port` was made, for its record: the program, the host, the
// port (`portNumber`; 0: given by its device) and its adapter as the system
// tells it now.
RunPlace runPlace(std::int16_t portNumber, const platform::DeviceSerialPort& port);

// The unattended download of a command-line run. Gives the exit status.
int CmdLineDownload(const StartupState& state, RunSurroundings& surroundings, Face face, TerminalReport& terminal);

}  // namespace korvel::cmdline
