#pragma once

#include "link/DiskHexFiles.h"
#include "mainwindow/FrmMain.h"
#include "platform/DeviceSerialPort.h"
#include "settings/FilePlaces.h"

#include <QString>

namespace korvel::startup {

// What the main window works with: the serial port, whose devices the ports
// file names, the HEX files on disk and the settings file. Where the two
// files live depends on the executable's folder (see settings::FilePlaces).
class ProgramSurroundings {
public:
    explicit ProgramSurroundings(const QString& programDir);

    MainWindowSetup mainWindowSetup(bool CmdLineMode);

    link::SerialPort& port() { return port_; }
    link::HexFiles& files() { return files_; }
    // The settings file that a run reads.
    const QString& settingsPath() const { return settingsPaths_.load; }

private:
    settings::FilePlaces places_;
    link::DiskHexFiles files_;
    platform::DeviceSerialPort port_;
    settings::SettingsPaths settingsPaths_;
};

}  // namespace korvel::startup
