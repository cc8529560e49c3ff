#include "startup/ProgramSurroundings.h"

#include "platform/PortDescription.h"
#include "platform/PortMap.h"
#include "settings/SettingsFile.h"

#include <QDir>

namespace korvel::startup {

ProgramSurroundings::ProgramSurroundings(const QString& programDir)
    : port_(platform::PortMap::fromFile(QDir(programDir).filePath(platform::kPortsFileName)))
    , settingsPath_(settings::settingsPath(programDir))
{
}

MainWindowSetup ProgramSurroundings::mainWindowSetup(bool CmdLineMode)
{
    return MainWindowSetup{CmdLineMode, port_, files_, settingsPath_,
                           [this](int number) { return platform::describePort(port_.portMap(), number); }};
}

}  // namespace korvel::startup
