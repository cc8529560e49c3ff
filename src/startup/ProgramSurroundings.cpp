#include "startup/ProgramSurroundings.h"
#include "platform/SystemText.h"

#include "platform/PortDescription.h"
#include "platform/PortMap.h"
#include "platform/PortTrouble.h"
#include "system/SystemConventions.h"
#include "system/Terminal.h"

#include <ostream>

namespace korvel::startup {

namespace {

// The ports of the ports file. One that is there but cannot be used is noted
// on the error output, where the start-up has no message box for it.
platform::PortMap portsOf(const QString& path)
{
    platform::PortsFile file = platform::readPortsFile(path);
    if (!file.reason.isEmpty())
        system::standardError() << platform::programText(file.reason) << std::endl;
    return std::move(file.ports);
}

}  // namespace

ProgramSurroundings::ProgramSurroundings(const QString& programDir, const std::string& portDevice)
    : places_(programDir)
    , port_(portsOf(places_.portsPath()))
    , settingsPaths_(places_.settingsPaths())
{
    if (!portDevice.empty())
        port_.setDevice(system::serialDeviceName(portDevice));
}

QString ProgramSurroundings::portsReport() const
{
    return platform::portsReport(port_.portMap());
}

mainwindow::MainWindowSetup ProgramSurroundings::mainWindowSetup(bool CmdLineMode)
{
    return mainwindow::MainWindowSetup{CmdLineMode,
                                       port_,
                                       files_,
                                       settingsPaths_,
                                       [this](int number) { return platform::describePort(port_.portMap(), number); },
                                       [this] { return platform::whyNoPortOpens(port_.portMap()); },
                                       [this](int number) { return port_.portMap().worthProbing(number); }};
}

cmdline::RunSurroundings ProgramSurroundings::runSurroundings()
{
    return {port_, files_, port_.portMap(), mainWindowSetup(true), settingsPaths_.load};
}

}  // namespace korvel::startup
