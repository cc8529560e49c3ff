// The windows on Linux and other POSIX systems: X11 or Wayland, on the display
// the environment names.
//
// Qt ends the program with SIGABRT when none of the platforms it is told to try
// can be started, so a display that is named but gone (a stale SSH forwarding,
// a server that has ended) would kill a command-line run before it begins. The
// platforms are therefore given to Qt as a list that ends with "offscreen",
// which always starts: when Qt ends up there, the named display could not be
// opened, and the program goes on without windows. Qt itself makes the
// connection, with the display's authorisation, so this catches every display
// the windows could not use; a check of the server's socket alone would pass a
// server that then refuses the program. It needs nothing beyond Qt.
#include "startup/WindowSystem.h"

#include <QStringList>

#include <algorithm>
#include <utility>

namespace korvel::startup {

namespace {

const QString kLastResort = QStringLiteral("offscreen");

// The platforms to try, in order: the user's choice in QT_QPA_PLATFORM, or
// else X11 on DISPLAY and Wayland on WAYLAND_DISPLAY. X11 comes first: the
// desktops' Wayland sessions also serve X11 programs, and Qt prefers X11 under
// GNOME.
QStringList platformsAsked()
{
    const QString chosen = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (!chosen.isEmpty())
        return chosen.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    QStringList platforms;
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        platforms << QStringLiteral("xcb");
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        platforms << QStringLiteral("wayland");
    return platforms;
}

bool asksFor(const QStringList& platforms, const QString& name)
{
    // An entry may carry options after a colon: "xcb:nograb".
    return std::any_of(platforms.begin(), platforms.end(),
                       [&](const QString& entry) { return entry.section(QLatin1Char(':'), 0, 0) == name; });
}

// What the user is told when none of `platforms` starts: the displays they
// would have opened.
QString cannotOpen(const QStringList& platforms)
{
    QStringList displays;
    for (const auto& [platform, variable] : {std::pair{"xcb", "DISPLAY"}, std::pair{"wayland", "WAYLAND_DISPLAY"}})
        if (asksFor(platforms, QLatin1String(platform)) && !qEnvironmentVariableIsEmpty(variable))
            displays << qEnvironmentVariable(variable);
    if (displays.isEmpty())
        return QStringLiteral("cannot start the window system ") + platforms.join(QLatin1Char(';'));
    return QStringLiteral("cannot open display ") + displays.join(QStringLiteral(" or "));
}

// Qt's messages while it tries the platforms, held back until it is known
// whether the windows can be shown: the complaints about a display that cannot
// be opened give way to the program's own note. Qt takes a plain function as
// the handler, so what it holds is kept here.
struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};
std::vector<HeldMessage> heldMessages;
QtMessageHandler previousHandler = nullptr;

void releaseHeldMessages()
{
    for (const HeldMessage& held : heldMessages)
        previousHandler(held.type, QMessageLogContext(nullptr, 0, nullptr, held.category.constData()), held.text);
    heldMessages.clear();
}

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    heldMessages.push_back({type, context.category, text});
    // Qt ends the program after a fatal message: everything is said first.
    if (type == QtFatalMsg)
        releaseHeldMessages();
}

}  // namespace

WindowSystem::WindowSystem(char* programPath)
{
    QStringList platforms = platformsAsked();
    if (platforms.isEmpty()) {
        displayNamed_ = false;
        problem_ = QStringLiteral("no display is set (DISPLAY and WAYLAND_DISPLAY are empty)");
        return;
    }
    const QString problem = cannotOpen(platforms);
    const bool lastResortAdded = !asksFor(platforms, kLastResort);
    if (lastResortAdded)
        platforms << kLastResort;

    qtArguments_ = {programPath, "-platform", platforms.join(QLatin1Char(';')).toLocal8Bit()};
    for (QByteArray& argument : qtArguments_)
        qtArgv_.push_back(argument.data());
    qtArgv_.push_back(nullptr);
    qtArgc_ = static_cast<int>(qtArguments_.size());

    previousHandler = qInstallMessageHandler(holdMessage);
    application_ = std::make_unique<QApplication>(qtArgc_, qtArgv_.data());
    qInstallMessageHandler(previousHandler);
    if (lastResortAdded && QGuiApplication::platformName() == kLastResort) {
        heldMessages.clear();
        application_.reset();
        problem_ = problem;
        return;
    }
    releaseHeldMessages();
}

}  // namespace korvel::startup
