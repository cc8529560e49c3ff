#include "WindowRig.h"

#include <utility>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "platform/PortDescription.h"
#include "platform/PortTrouble.h"

namespace {

std::string portsText(const std::map<int, std::string>& devices)
{
    std::string text;
    for (int number = 1; number <= 16; ++number)
        text += "COM" + std::to_string(number) + "=/nonexistent/korvel-com" + std::to_string(number) + "\n";
    // A later line wins; an empty device, from a simulator that did not start,
    // is passed over and never leads to a real port.
    for (const auto& [number, device] : devices)
        text += "COM" + std::to_string(number) + "=" + device + "\n";
    return text;
}

}  // namespace

WindowRig::WindowRig(const std::map<int, std::string>& devices, bool cmdLineMode, std::function<bool(int)> worthProbing)
    : port(korvel::platform::PortMap::fromText(portsText(devices)))
    , window({cmdLineMode,
              port,
              files,
              {settingsPath(), settingsPath()},
              [this](int number) { return korvel::platform::describePort(port.portMap(), number); },
              [this] { return korvel::platform::whyNoPortOpens(port.portMap()); },
              std::move(worthProbing)})
{
    if (!writeFile(settingsPath(),
                   devices.empty() ? "-1\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n" : "0\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n"))
        throw std::runtime_error("cannot write the settings file");
}

bool WindowRig::loadAndShow()
{
    window.Form_Load();
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

void WindowRig::choose(const QString& flashPath, const QString& eepromPath)
{
    control<QCheckBox>("FLASHCheck").setChecked(!flashPath.isEmpty());
    control<QCheckBox>("EEPCheck").setChecked(!eepromPath.isEmpty());
    control<QLineEdit>("TxtBoxFLASHFile").setText(flashPath);
    control<QLineEdit>("TxtBoxEEPFile").setText(eepromPath);
}

bool WindowRig::isIdle()
{
    return control<QLabel>("LblExec").text() == QStringLiteral("Idle") &&
           control<QPushButton>("CmdBtnDwl").isVisible() && !control<QPushButton>("CmdBtnCanc").isVisible();
}
