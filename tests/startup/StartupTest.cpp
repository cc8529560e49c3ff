#include "startup/CmdLine.h"

#include "infowindow/FrmInfo.h"
#include "mainwindow/FrmMain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace korvel;
using namespace korvel::startup;

namespace {

// Runs `handler` once the next event loop runs, which is inside the first
// modal window the code under test opens, or its main event loop.
void whenEventsRun(std::function<void()> handler)
{
    QTimer::singleShot(0, qApp, std::move(handler));
}

FrmMain* shownMainWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<FrmMain*>(widget); window && window->isVisible())
            return window;
    return nullptr;
}

// Notes how each main window looks when it is first shown.
class MainWindowShowWatcher : public QObject {
public:
    MainWindowShowWatcher() { qApp->installEventFilter(this); }
    ~MainWindowShowWatcher() override { qApp->removeEventFilter(this); }

    int shown = 0;
    bool compactLayout = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (auto* window = qobject_cast<FrmMain*>(watched); window && event->type() == QEvent::Show) {
            ++shown;
            compactLayout = window->commandLineLog().isVisible();
        }
        return false;
    }
};

// A program directory whose ports name no real device and whose settings
// file is valid whatever ports are listed.
class ProgramDir {
public:
    ProgramDir()
    {
        QByteArray ports;
        for (int number = 1; number <= 16; ++number)
            ports += "COM" + QByteArray::number(number) + "=" + QFile::encodeName(dir_.path()) + "/no-tty\n";
        write("AVRBootloaderKorvel.ports", ports);
        write("AVRBootloaderKorvel.cfg", settings_);
    }

    QString path() const { return dir_.path(); }
    QByteArray settingsContent() const
    {
        QFile file(dir_.filePath("AVRBootloaderKorvel.cfg"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    const QByteArray settings_ = "-1\r\n1\r\n\"/tmp/app.hex\"\r\n0\r\n\"\"\r\n";

private:
    void write(const QString& name, const QByteArray& content)
    {
        QFile file(dir_.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
    }

    QTemporaryDir dir_;
};

struct MessageCase {
    ArgsVerdict verdict;
    const char* message;
    int exitStatus;
};

class StartupMessage : public ::testing::TestWithParam<MessageCase> {};

TEST_P(StartupMessage, IsShownWithTheProgramTitleAndGivesTheExitStatus)
{
    ParsedArgs parsed;
    parsed.verdict = GetParam().verdict;
    parsed.message = GetParam().message;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::Critical;
    QMessageBox::StandardButtons buttons;
    whenEventsRun([&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        box->button(QMessageBox::Ok)->click();
    });

    const ProgramDir dir;
    EXPECT_EQ(RunStartup(parsed, dir.path()), GetParam().exitStatus);
    EXPECT_EQ(title, "AVR Bootloader Korvel(r)");
    EXPECT_EQ(text, GetParam().message);
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    EXPECT_EQ(buttons, QMessageBox::Ok);
    EXPECT_EQ(shownMainWindow(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Table, StartupMessage,
                         ::testing::Values(MessageCase{ArgsVerdict::UsageRequested, kUsageMessage, 0},
                                           MessageCase{ArgsVerdict::Refused, kUsageMessage, 2},
                                           MessageCase{ArgsVerdict::Refused, kNoComPortMessage, 2}));

TEST(InteractiveStart, ShowsTheInformationBoxThenTheMainWindow)
{
    bool infoFirst = false;
    bool mainWindowBeforeInfoClosed = true;
    bool mainWindowShown = false;
    bool compactLayout = true;
    QWidget* modalOverMainWindow = nullptr;

    whenEventsRun([&] {
        auto* info = qobject_cast<FrmInfo*>(QApplication::activeModalWidget());
        infoFirst = info != nullptr;
        mainWindowBeforeInfoClosed = shownMainWindow() != nullptr;
        whenEventsRun([&] {
            modalOverMainWindow = QApplication::activeModalWidget();
            if (FrmMain* window = shownMainWindow()) {
                mainWindowShown = true;
                compactLayout = window->commandLineLog().isVisible();
                window->close();
            }
        });
        if (info)
            info->accept();
    });

    const ProgramDir dir;
    EXPECT_EQ(RunStartup(ParsedArgs{}, dir.path()), 0);
    EXPECT_TRUE(infoFirst);
    EXPECT_FALSE(mainWindowBeforeInfoClosed);
    EXPECT_EQ(modalOverMainWindow, nullptr);
    EXPECT_TRUE(mainWindowShown);
    EXPECT_FALSE(compactLayout);
}

TEST(CommandLineStart, ShowsTheCompactWindowAndLeavesTheSettingsFileAlone)
{
    ParsedArgs parsed;
    parsed.verdict = ArgsVerdict::CommandLine;
    parsed.state.CmdLineMode = true;
    parsed.state.FLASHFileName = "/tmp/other.hex";
    parsed.state.CmdLineFLASH = true;
    parsed.state.CmdLineComPort = 1;

    const ProgramDir dir;
    MainWindowShowWatcher watcher;
    RunStartup(parsed, dir.path());
    EXPECT_EQ(watcher.shown, 1);
    EXPECT_TRUE(watcher.compactLayout);
    EXPECT_EQ(dir.settingsContent(), dir.settings_);
}

}  // namespace
