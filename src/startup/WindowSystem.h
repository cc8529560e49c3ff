#pragma once

#include <QApplication>
#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace korvel::startup {

// The window system the windows appear on, kept open for the whole run. Each
// operating system has its own way to open it (WindowSystemPosix.cpp,
// WindowSystemWindows.cpp); the build picks one.
class WindowSystem {
public:
    // Opens the display the environment names and starts the application of
    // the windows on it. `programPath` is the program's argv[0]. When the
    // display cannot be opened nothing of the attempt remains: the program
    // can go on without windows.
    explicit WindowSystem(char* programPath);

    // True when the windows can be shown.
    bool opened() const { return application_ != nullptr; }
    // False when the environment names no display at all.
    bool displayNamed() const { return displayNamed_; }
    // Why the windows cannot be shown, for the user: "cannot open display :77".
    const QString& problem() const { return problem_; }

private:
    std::vector<QByteArray> qtArguments_;  // the arguments Qt sees, which must outlive the application
    std::vector<char*> qtArgv_;
    int qtArgc_ = 0;
    std::unique_ptr<QApplication> application_;
    bool displayNamed_ = true;
    QString problem_;
};

}  // namespace korvel::startup
