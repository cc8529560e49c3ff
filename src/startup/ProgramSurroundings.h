#pragma once

#include "link/DiskHexFiles.h"
#include "mainwindow/FrmMain.h"
#include "platform/DeviceSerialPort.h"

#include <QString>

namespace korvel::startup {

// What the main window works with: the serial port, whose devices the ports
// file beside the executable names, the HEX files on disk and the settings
// file beside the executable.
class ProgramSurroundings {
public:
    explicit ProgramSurroundings(const QString& programDir);

    MainWindowSetup mainWindowSetup(bool CmdLineMode);

    link::SerialPort& port() { return port_; }
    link::HexFiles& files() { return files_; }
    const QString& settingsPath() const { return settingsPath_; }

private:
    link::DiskHexFiles files_;
    platform::DeviceSerialPort port_;
    QString settingsPath_;
};

}  // namespace korvel::startup
