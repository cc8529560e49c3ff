#pragma once

#include "cmdline/CmdLineDownload.h"
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
    // `portDevice`, when given, is the device that the port opens whatever
    // its number (a port given by its path).
    explicit ProgramSurroundings(const QString& programDir, const std::string& portDevice = {});

    mainwindow::MainWindowSetup mainWindowSetup(bool CmdLineMode);
    // The same for a command-line run: the compact window and the settings
    // file that the run checks.
    cmdline::RunSurroundings runSurroundings();

    link::SerialPort& port() { return port_; }
    link::HexFiles& files() { return files_; }
    // The settings file that a run reads.
    const QString& settingsPath() const { return settingsPaths_.load; }
    // The ports file in use and, for each port, its device and whether it is
    // there and opens.
    QString portsReport() const;

private:
    settings::FilePlaces places_;
    link::DiskHexFiles files_;
    platform::DeviceSerialPort port_;
    settings::SettingsPaths settingsPaths_;
};

}  // namespace korvel::startup
