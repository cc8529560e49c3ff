// korvel-bench-window: the main window's start as the program makes it
// (construction, Form_Load with the probe of COM1 to COM16, show), timed from
// the start of main, then optionally one FLASH download through its controls.
// Reports key=value lines. Meant to run under QT_QPA_PLATFORM=offscreen.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <iostream>
#include <memory>

#include "BenchArgs.h"
#include "Measures.h"
#include "SimChild.h"
#include "link/DiskHexFiles.h"
#include "mainwindow/FrmMain.h"
#include "platform/DeviceSerialPort.h"
#include "settings/SettingsFile.h"

namespace {

using namespace korvel;

const int kExposeLimitMs = 5000;

bool waitUntilExposed(QWidget& window)
{
    bool timedOut = false;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, [&timedOut] { timedOut = true; });
    limit.start(kExposeLimitMs);
    while (!timedOut && !(window.windowHandle() && window.windowHandle()->isExposed()))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return !timedOut;
}

template <typename Control> Control& control(mainwindow::FrmMain& window, const char* name)
{
    return *window.findChild<Control*>(QLatin1String(name));
}

// Downloads the file through the window's controls; the outcome message is
// answered OK (a question No) and its text returned.
QString downloadThroughWindow(mainwindow::FrmMain& window, const QString& flashPath)
{
    control<QCheckBox>(window, "FLASHCheck").setChecked(true);
    control<QCheckBox>(window, "EEPCheck").setChecked(false);
    control<QLineEdit>(window, "TxtBoxFLASHFile").setText(flashPath);
    QString outcome;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&outcome] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        if (outcome.isEmpty())
            outcome = box->text();
        QAbstractButton* no = box->button(QMessageBox::No);
        (no ? no : box->button(QMessageBox::Ok))->click();
    });
    answerer.start(10);
    control<QPushButton>(window, "CmdBtnDwl").click();
    return outcome;
}

}  // namespace

int main(int argc, char** argv)
{
    BenchArgs args;
    if (!parseBenchArgs(argc, argv, args))
        return 2;
    if (args.targetsim.empty()) {
        std::cerr << argv[0] << ": the window's download needs --targetsim\n";
        return 2;
    }
    // The simulator and the settings file are the bench's, not the program's
    // start. Stored settings, as at every start after the first: no warning.
    SimChild target(args.targetsim, args.simOptions);
    if (target.devicePath().empty())
        return 1;
    QTemporaryDir settingsFolder;
    const QString settingsPath = settingsFolder.filePath(QStringLiteral("AVRBootloaderKorvel.cfg"));
    if (!settings::writeSettingsFile(settingsPath, settings::Settings{}))
        return 1;

    const auto startedAt = BenchClock::now();
    QApplication app(argc, argv);
    const auto applicationAt = BenchClock::now();
    // COM1 is the simulator; the other ports are the system's usual devices.
    platform::DeviceSerialPort port(platform::PortMap::fromText("COM1=" + target.devicePath()));
    link::DiskHexFiles files;
    mainwindow::FrmMain window({false, port, files, {settingsPath, settingsPath}});
    const auto constructedAt = BenchClock::now();
    window.Form_Load();
    const auto loadedAt = BenchClock::now();
    window.show();
    const bool exposed = waitUntilExposed(window);
    const auto shownAt = BenchClock::now();

    report("platform", QApplication::platformName().toStdString());
    report("exposed", exposed ? "yes" : "no");
    report("ports_listed", long(control<QComboBox>(window, "CmbBoxCom").count()));
    report("application_seconds", secondsBetween(startedAt, applicationAt));
    report("construct_seconds", secondsBetween(applicationAt, constructedAt));
    report("form_load_seconds", secondsBetween(constructedAt, loadedAt));
    report("show_seconds", secondsBetween(loadedAt, shownAt));
    report("start_to_shown_seconds", secondsBetween(startedAt, shownAt));
    report("peak_rss_shown_kib", peakResidentKiB());

    if (!args.flashPath.empty()) {
        const QString outcome = downloadThroughWindow(window, QString::fromStdString(args.flashPath));
        report("outcome", outcome.toStdString());
        report("peak_rss_after_download_kib", peakResidentKiB());
    }
    return 0;
}
