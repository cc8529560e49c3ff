#include "MainWindowRig.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QTest>

#include "platform/PortDescription.h"

std::string portsText(const std::map<int, std::string>& devices)
{
    std::string text;
    for (int number = 1; number <= 16; ++number) {
        const auto assigned = devices.find(number);
        const std::string device = assigned != devices.end() ? assigned->second
                                                             : "/nonexistent/korvel-com" + std::to_string(number);
        text += "COM" + std::to_string(number) + "=" + device + "\n";
    }
    return text;
}

MainWindowRig::MainWindowRig(const std::map<int, std::string>& devices, bool cmdLineMode)
    : port(korvel::platform::PortMap::fromText(portsText(devices)))
    , window({cmdLineMode, port, files, settingsPath(),
              [this](int number) { return korvel::platform::describePort(port.portMap(), number); }})
{
    writeSettings(devices.empty() ? "-1\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n" : "0\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n");
}

QString MainWindowRig::settingsPath() const
{
    return programDir.filePath(QStringLiteral("AVRBootloaderKorvel.cfg"));
}

void MainWindowRig::writeSettings(const QByteArray& content)
{
    QFile file(settingsPath());
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        throw std::runtime_error("cannot write the settings file");
}

QByteArray MainWindowRig::settingsContent() const
{
    QFile file(settingsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool loadAndShow(MainWindowRig& rig)
{
    rig.window.Form_Load();
    rig.window.show();
    rig.window.activateWindow();
    return QTest::qWaitForWindowActive(&rig.window);
}

MessageBoxAnswerer::MessageBoxAnswerer(QMessageBox::StandardButton answer) : answer_(answer)
{
    QObject::connect(&poll_, &QTimer::timeout, [this] { answerOpenBox(); });
    poll_.start(5);
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
