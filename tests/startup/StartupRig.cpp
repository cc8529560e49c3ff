#include "StartupRig.h"

#include "mainwindow/FrmMain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QTimer>

#include <pty.h>
#include <unistd.h>

const QByteArray ProgramDir::kSettings = "-1\r\n1\r\n\"/tmp/app.hex\"\r\n0\r\n\"\"\r\n";

ProgramDir::ProgramDir(bool withSettings)
{
    writePorts(QFile::encodeName(dir_.path()) + "/no-tty");
    if (withSettings)
        write(QStringLiteral("AVRBootloaderKorvel.cfg"), kSettings);
}

void ProgramDir::mapPort1(const QByteArray& path)
{
    writePorts(path);
}

void ProgramDir::writePorts(const QByteArray& port1)
{
    QByteArray ports = "COM1=" + port1 + "\n";
    for (int number = 2; number <= 16; ++number)
        ports += "COM" + QByteArray::number(number) + "=" + QFile::encodeName(dir_.path()) + "/no-tty\n";
    write(QStringLiteral("AVRBootloaderKorvel.ports"), ports);
}

QByteArray ProgramDir::settingsContent() const
{
    QFile file(settingsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void ProgramDir::write(const QString& name, const QByteArray& content)
{
    QFile file(dir_.filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}

SilentTerminal::SilentTerminal()
{
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) == 0)
        path_ = name;
}

SilentTerminal::~SilentTerminal()
{
    for (int fd : {master_, slave_})
        if (fd >= 0)
            ::close(fd);
}

BoxAnswerer::BoxAnswerer(QMessageBox::StandardButton answer) : answer_(answer)
{
    qApp->installEventFilter(this);
}

BoxAnswerer::~BoxAnswerer()
{
    qApp->removeEventFilter(this);
}

QStringList BoxAnswerer::texts() const
{
    QStringList result;
    for (const SeenBox& box : seen_)
        result << box.text;
    return result;
}

bool BoxAnswerer::eventFilter(QObject* watched, QEvent* event)
{
    auto* box = qobject_cast<QMessageBox*>(watched);
    if (!box || event->type() != QEvent::Show)
        return false;
    bool mainWindowShown = false;
    for (QWidget* widget : QApplication::topLevelWidgets())
        mainWindowShown = mainWindowShown || (qobject_cast<korvel::FrmMain*>(widget) && widget->isVisible());
    seen_.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButtons(), mainWindowShown});
    QAbstractButton* button = box->button(answer_);
    if (!button)
        button = box->button(QMessageBox::Ok);
    // Pressed once the box's own event loop runs.
    QTimer::singleShot(0, button, &QAbstractButton::click);
    return false;
}
