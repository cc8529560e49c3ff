#pragma once

#include <QTemporaryDir>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>

#include "Tools.h"
#include "link/DiskHexFiles.h"
#include "mainwindow/FrmMain.h"
#include "platform/DeviceSerialPort.h"

// The main window on the real serial port layer. The ports listed in
// `devices` lead to those devices, every other one from COM1 to COM16 to a
// device that does not exist; the window has a program folder of its own
// whose settings file holds the default choices.
struct WindowRig {
    // `worthProbing` decides which ports the port list's probe opens, as the
    // system's list does on Windows; empty: all.
    explicit WindowRig(const std::map<int, std::string>& devices, bool cmdLineMode = false,
                       std::function<bool(int)> worthProbing = {});

    QString settingsPath() const { return programDir.filePath(QStringLiteral("AVRBootloaderKorvel.cfg")); }
    QByteArray settingsContent() const { return fileContents(settingsPath()); }

    // Form_Load, then the window shown and active.
    bool loadAndShow();
    // Ticks FLASH and EEPROM for the paths given (an empty path: not ticked)
    // and types the paths into the file boxes.
    void choose(const QString& flashPath, const QString& eepromPath);
    // The idle arrangement: "Idle" on the status row, Download shown, Cancel hidden.
    bool isIdle();

    template <typename Control> Control& control(const char* name)
    {
        if (auto* found = window.findChild<Control*>(QLatin1String(name)))
            return *found;
        throw std::runtime_error(std::string("no control ") + name);
    }

    QTemporaryDir programDir;
    korvel::platform::DeviceSerialPort port;
    korvel::link::DiskHexFiles files;
    korvel::mainwindow::FrmMain window;
};
