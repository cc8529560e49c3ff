#pragma once

#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <stdexcept>
#include <string>
#include <vector>

#include "link/DiskHexFiles.h"
#include "mainwindow/FrmMain.h"
#include "platform/DeviceSerialPort.h"

// The interactive main window on the real port layer. Port kTargetPort leads
// to the target's terminal; every other port from COM1 to COM16 to a device
// that does not exist.
class WindowRig {
public:
    static constexpr int kTargetPort = 5;

    WindowRig(const std::string& targetDevice, const QString& settingsPath);

    // As at a later start of the program: settings stored with their defaults,
    // Form_Load, then the window shown. False when a message box came up while
    // loading or the window never became exposed.
    bool loadAndShow();

    // Ticks FLASH and EEPROM for the paths given (an empty path: not ticked)
    // and types the paths into the file boxes.
    void choose(const QString& flashPath, const QString& eepromPath);

    // Clicks the Download button; returns once the download is over. Should it
    // still run after `limitMs`, Cancel is pressed and false is returned.
    bool clickDownload(int limitMs);

    // Another opener gets the target's device: no handle of the window holds it
    // (an open port is held exclusively).
    bool targetDeviceIsFree();

    // The idle arrangement: "Idle" on the status row, Download shown, Cancel hidden.
    bool isIdle();

    template <typename Control>
    Control& control(const char* name)
    {
        if (auto* found = window.findChild<Control*>(QLatin1String(name)))
            return *found;
        throw std::runtime_error(std::string("no control ") + name);
    }

    korvel::platform::DeviceSerialPort port;
    korvel::link::DiskHexFiles files;
    korvel::FrmMain window;

private:
    std::string targetDevice_;
    QString settingsPath_;
};

struct SeenMessage {
    QString title;
    QString text;
    QMessageBox::Icon icon;
};

// While it lives, answers every modal message box as a user would: records it
// and presses `answer` where the box has that button, OK otherwise.
class MessageBoxAnswerer {
public:
    explicit MessageBoxAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok);
    const std::vector<SeenMessage>& seen() const { return seen_; }
    QStringList texts() const;

private:
    void answerOpenBox();

    QMessageBox::StandardButton answer_;
    std::vector<SeenMessage> seen_;
    QTimer poll_;
};
