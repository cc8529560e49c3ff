#pragma once

#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "link/DiskHexFiles.h"
#include "mainwindow/FrmMain.h"
#include "platform/DeviceSerialPort.h"

// A ports file text that gives the listed port numbers their devices and every
// other port from COM1 to COM16 a device that does not exist.
std::string portsText(const std::map<int, std::string>& devices);

// The main window on a real serial port whose ports are mapped by `devices`,
// with a settings file of its own that holds the default choices.
struct MainWindowRig {
    MainWindowRig(const std::map<int, std::string>& devices, bool cmdLineMode);

    QString settingsPath() const;
    void writeSettings(const QByteArray& content);
    QByteArray settingsContent() const;

    QTemporaryDir programDir;
    korvel::platform::DeviceSerialPort port;
    korvel::link::DiskHexFiles files;
    korvel::FrmMain window;

    template <typename Control>
    Control& control(const char* name)
    {
        if (auto* found = window.findChild<Control*>(QLatin1String(name)))
            return *found;
        throw std::runtime_error(std::string("no control ") + name);
    }
};

// Loads the window, shows it and waits until it is the active window.
bool loadAndShow(MainWindowRig& rig);

struct SeenMessage {
    QString title;
    QString text;
    QMessageBox::Icon icon;
};

// Answers every modal message box that opens while it lives: records it and
// presses `answer` (or OK where the box has no such button).
class MessageBoxAnswerer {
public:
    explicit MessageBoxAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok);
    const std::vector<SeenMessage>& seen() const { return seen_; }

private:
    void answerOpenBox();

    QMessageBox::StandardButton answer_;
    std::vector<SeenMessage> seen_;
    QTimer poll_;
};
