#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "link/BootloaderLink.h"
#include "link/HexFile.h"
#include "link/SerialPort.h"
#include "mainwindow/CompactLog.h"
#include "mainwindow/WindowRun.h"
#include "platform/DownloadTimers.h"
#include "settings/FilePlaces.h"

class QCheckBox;
class QComboBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;

namespace korvel::mainwindow {

class FileNameBox;
class MainWindowFrontEnd;
struct FrmMainControl;

// What the main window is built with.
struct MainWindowSetup {
    bool CmdLineMode = false;               // compact progress display of a command-line run
    link::SerialPort& port;                 // used by the port probe and by the download
    link::HexFiles& files;                  // the HEX files the download reads
    settings::SettingsPaths settingsPaths;  // the settings file read at load and written at unload
    // Names the device behind a port number, for the tooltips of the port
    // list's entries; without it the entries have none of their own.
    std::function<QString(int)> describePort = {};
    // Says why no port could be opened, for the tooltip of an empty port list.
    std::function<QString()> explainNoPorts = {};
    // Whether the port list's probe opens a port; the others are left out
    // unopened. Without it every port is probed.
    std::function<bool(int)> worthProbing = {};
    // Gives the warning that the settings file could not be loaded; without
    // it the window shows it in a message box.
    std::function<void(const QString&)> settingsWarning = {};
};

// The program's main window: port choice, file choice, download, progress,
// Info and Exit; in a command-line run, a small progress display.
class FrmMain : public QWidget {
    Q_OBJECT

public:
    explicit FrmMain(const MainWindowSetup& setup);
    ~FrmMain() override;

    // Arranges the window for its mode, lists the ports that open, puts the
    // version into the caption and applies the settings file. Called once,
    // before the window is first shown.
    void Form_Load();

    // True when the port of that number can be opened. Leaves the port's number and open
    // state as it found them.
    bool CheckCom(int portNumber);

    void SetIdleState();
    void SetBusyState();
    bool isCancelRequested() const { return CancelRequested; }

    // Runs one download with the choices of the window, from start to end.
    void DownloadFiles();

    // Selects the text of a text box; for other controls moves the caret to
    // the start of their text.
    void AutoSelect(QWidget* control);

    // What a command-line run drives with its own download.
    platform::DownloadTimers& timers() { return timers_; }
    WindowRun& windowRun() { return windowRun_; }
    CompactLog& compactLog() { return *compactLog_; }
    QString caption() const { return windowTitle(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    friend class MainWindowFrontEnd;

    // The moments at which the controls take a state from their table, in the
    // order of the table's state columns.
    enum class ControlState { Created, Interactive, CommandLine, Idle, Busy };
    static const std::vector<FrmMainControl>& controlTable();
    void createControls();
    void applyState(ControlState state);
    void setTabOrder();

    void arrangeForMode();
    void fillPortList();
    void appendVersionToCaption();
    void Form_Unload();

    void LoadSettings(const QString& fileName);
    void SaveSettings(const QString& fileName);
    void SetDefaultSettings();

    void CmdBtnFLASH_Click();
    void CmdBtnEEP_Click();
    void browseFor(QLineEdit& box, const QString& title);
    QFileDialog& browseDialog();
    void TxtBoxFLASHFile_OLEDragDrop(const QStringList& files);
    void TxtBoxEEPFile_OLEDragDrop(const QStringList& files);

    void CmdBtnDwl_Click();
    void CmdBtnCanc_Click();
    void CmdBtnInfo_Click();
    void CmdBtnExit_Click();
    void cancelKeyPressed();

    const bool CmdLineMode;
    link::SerialPort& port_;
    link::HexFiles& files_;
    const settings::SettingsPaths settingsPaths_;
    const std::function<QString(int)> describePort_;
    const std::function<QString()> explainNoPorts_;
    const std::function<bool(int)> worthProbing_;
    const std::function<void(const QString&)> settingsWarning_;

    bool CancelRequested = false;
    bool centred_ = false;

    // The controls that code uses; the control table fills them.
    QComboBox* CmbBoxCom = nullptr;
    QCheckBox* FLASHCheck = nullptr;
    FileNameBox* TxtBoxFLASHFile = nullptr;
    QPushButton* CmdBtnFLASH = nullptr;
    QCheckBox* EEPCheck = nullptr;
    FileNameBox* TxtBoxEEPFile = nullptr;
    QPushButton* CmdBtnCanc = nullptr;
    QLabel* LblExec = nullptr;
    QLabel* LblLineSent = nullptr;
    QLabel* LblFwVer = nullptr;
    QLabel* LblCmdLin = nullptr;

    // Shared by both browse buttons; created when first needed.
    QFileDialog* BrowseDialog = nullptr;
    // The last file chosen in the dialog, offered as the starting name.
    QString browseFileName_;

    platform::DownloadTimers timers_;
    WindowRun windowRun_{*this};
    std::unique_ptr<CompactLog> compactLog_;
    std::unique_ptr<MainWindowFrontEnd> frontEnd_;
    // The interactive download; none in a command-line run, which drives its own.
    std::unique_ptr<link::BootloaderLink> link_;
};

}  // namespace korvel::mainwindow
