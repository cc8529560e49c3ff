#include "startup/ProgramSurroundings.h"

#include "platform/PortDescription.h"
#include "platform/PortMap.h"
#include "settings/SettingsFile.h"

#include <QDir>

#include <iostream>

namespace korvel::startup {

namespace {

// The ports of the ports file. One that is there but cannot be used is noted
// on the error output, where the start-up has no message box for it.
platform::PortMap portsOf(const QString& path)
{
    platform::PortsFile file = platform::readPortsFile(path);
    if (!file.note.isEmpty())
        std::cerr << file.note.toLocal8Bit().constData() << std::endl;
    return std::move(file.ports);
}

}  // namespace

ProgramSurroundings::ProgramSurroundings(const QString& programDir)
    : port_(portsOf(QDir(programDir).filePath(platform::kPortsFileName)))
    , settingsPath_(settings::settingsPath(programDir))
{
}

MainWindowSetup ProgramSurroundings::mainWindowSetup(bool CmdLineMode)
{
    return MainWindowSetup{CmdLineMode, port_, files_, settingsPath_,
                           [this](int number) { return platform::describePort(port_.portMap(), number); }};
}

}  // namespace korvel::startup
