#include "WindowRig.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "settings/SettingsFile.h"

namespace {

std::string portsText(const std::string& targetDevice)
{
    std::string text;
    for (int number = korvel::platform::kFirstPort; number <= korvel::platform::kLastPort; ++number) {
        const std::string device = number == WindowRig::kTargetPort
                                       ? targetDevice
                                       : "/nonexistent/korvel-e2e-com" + std::to_string(number);
        text += "COM" + std::to_string(number) + "=" + device + "\n";
    }
    return text;
}

}  // namespace

WindowRig::WindowRig(const std::string& targetDevice, const QString& settingsPath)
    : port(korvel::platform::PortMap::fromText(portsText(targetDevice))),
      window({false, port, files, settingsPath}),
      targetDevice_(targetDevice),
      settingsPath_(settingsPath)
{
}

bool WindowRig::loadAndShow()
{
    if (!korvel::settings::writeSettingsFile(settingsPath_, korvel::settings::Settings{}))
        return false;
    MessageBoxAnswerer unexpected;
    window.Form_Load();
    window.show();
    return QTest::qWaitForWindowExposed(&window) && unexpected.seen().empty();
}

void WindowRig::choose(const QString& flashPath, const QString& eepromPath)
{
    control<QCheckBox>("FLASHCheck").setChecked(!flashPath.isEmpty());
    control<QCheckBox>("EEPCheck").setChecked(!eepromPath.isEmpty());
    control<QLineEdit>("TxtBoxFLASHFile").setText(flashPath);
    control<QLineEdit>("TxtBoxEEPFile").setText(eepromPath);
}

bool WindowRig::clickDownload(int limitMs)
{
    bool overran = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [this, &overran] {
        overran = true;
        auto& cancel = control<QPushButton>("CmdBtnCanc");
        if (cancel.isVisible() && cancel.isEnabled())
            cancel.click();
    });
    watchdog.start(limitMs);
    QTest::mouseClick(&control<QPushButton>("CmdBtnDwl"), Qt::LeftButton);
    return !overran;
}

bool WindowRig::targetDeviceIsFree()
{
    korvel::platform::DeviceSerialPort other(korvel::platform::PortMap::fromText(portsText(targetDevice_)));
    other.setPortNumber(kTargetPort);
    try {
        other.open();
    } catch (const korvel::link::PortError&) {
        return false;
    }
    other.close();
    return true;
}

bool WindowRig::isIdle()
{
    return control<QLabel>("LblExec").text() == QStringLiteral("Idle")
           && control<QPushButton>("CmdBtnDwl").isVisible() && !control<QPushButton>("CmdBtnCanc").isVisible();
}

MessageBoxAnswerer::MessageBoxAnswerer(QMessageBox::StandardButton answer) : answer_(answer)
{
    QObject::connect(&poll_, &QTimer::timeout, [this] { answerOpenBox(); });
    poll_.start(10);
}

QStringList MessageBoxAnswerer::texts() const
{
    QStringList all;
    for (const SeenMessage& message : seen_)
        all << message.text;
    return all;
}

void MessageBoxAnswerer::answerOpenBox()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    seen_.push_back({box->windowTitle(), box->text(), box->icon()});
    QAbstractButton* button = box->button(answer_);
    (button ? button : box->button(QMessageBox::Ok))->click();
}
