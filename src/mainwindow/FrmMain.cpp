#include "mainwindow/FrmMain.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "KorvelResources.h"
#include "infowindow/FrmInfo.h"
#include "mainwindow/FileNameBox.h"
#include "mainwindow/MainWindowFrontEnd.h"
#include "platform/PortMap.h"
#include "platform/ProgramInfo.h"
#include "platform/SystemText.h"
#include "platform/WindowMeasures.h"

namespace korvel::mainwindow {

using platform::px;

FrmMain::FrmMain(const MainWindowSetup& setup)
    : CmdLineMode(setup.CmdLineMode)
    , port_(setup.port)
    , files_(setup.files)
    , settingsPaths_(setup.settingsPaths)
    , describePort_(setup.describePort)
    , explainNoPorts_(setup.explainNoPorts)
    , worthProbing_(setup.worthProbing)
    , settingsWarning_(setup.settingsWarning)
{
    resources::ensureLoaded();
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(platform::qtText(platform::kApplicationTitle));
    setWindowIcon(QIcon(resources::kIcon));
    // Small enough that every caption fits its control with the usual Linux faces.
    setFont(platform::windowFont({QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")}, 7.5));
    resize(px(9375), px(7050));
    createControls();
    compactLog_ = std::make_unique<CompactLog>(*this, *LblCmdLin, *LblLineSent, windowRun_);

    if (!CmdLineMode) {
        frontEnd_ = std::make_unique<MainWindowFrontEnd>(*this);
        link_ = std::make_unique<link::BootloaderLink>(platform::downloadSeams(timers_, port_, *frontEnd_, files_),
                                                       link::Flavour{});
    }
}

FrmMain::~FrmMain() = default;

void FrmMain::Form_Load()
{
    arrangeForMode();
    fillPortList();
    appendVersionToCaption();
    LoadSettings(settingsPaths_.load);
}

void FrmMain::arrangeForMode()
{
    if (CmdLineMode) {
        resize(width(), px(2100));
        LblCmdLin->resize(px(5500), LblCmdLin->height());
        LblLineSent->move(LblLineSent->x(), px(920));
    }
    applyState(CmdLineMode ? ControlState::CommandLine : ControlState::Interactive);
}

void FrmMain::fillPortList()
{
    for (int number = platform::kFirstPort; number <= platform::kLastPort; ++number) {
        if ((worthProbing_ && !worthProbing_(number)) || !CheckCom(number))
            continue;
        CmbBoxCom->addItem(QStringLiteral("Com") + QString::number(number), number);
        if (describePort_)
            CmbBoxCom->setItemData(CmbBoxCom->count() - 1, describePort_(number), Qt::ToolTipRole);
    }
    // With no port at all the list stays without a selection, and its tooltip
    // says why below its own line.
    if (CmbBoxCom->count() > 0)
        CmbBoxCom->setCurrentIndex(0);
    else if (explainNoPorts_)
        CmbBoxCom->setToolTip(CmbBoxCom->toolTip() + QLatin1Char('\n') + explainNoPorts_());
}

void FrmMain::appendVersionToCaption()
{
    setWindowTitle(windowTitle() + QStringLiteral(" - V ") +
                   platform::versionNumberText(platform::kVersionMajor, platform::kVersionMinor));
}

bool FrmMain::CheckCom(int portNumber)
{
    const int previousNumber = port_.portNumber();
    const bool wasOpen = port_.isOpen();
    if (wasOpen)
        port_.close();
    port_.setPortNumber(portNumber);
    port_.close();

    bool opened = false;
    try {
        port_.open();
        opened = true;
    } catch (const link::PortError&) {
    }
    port_.close();

    if (portNumber != previousNumber)
        port_.setPortNumber(previousNumber);
    if (wasOpen) {
        try {
            port_.open();
        } catch (const link::PortError&) {
        }
    }
    return opened;
}

void FrmMain::SetIdleState()
{
    applyState(ControlState::Idle);
}

void FrmMain::SetBusyState()
{
    CancelRequested = false;
    applyState(ControlState::Busy);
}

void FrmMain::DownloadFiles()
{
    if (!link_ || windowRun_.isRunning())
        return;
    link::DownloadChoice choice;
    choice.flash = FLASHCheck->checkState() != Qt::Unchecked;
    choice.eeprom = EEPCheck->checkState() != Qt::Unchecked;
    choice.flashPath = platform::programText(TxtBoxFLASHFile->text());
    choice.eepromPath = platform::programText(TxtBoxEEPFile->text());
    if (CmbBoxCom->currentIndex() >= 0)
        choice.port = CmbBoxCom->currentData().toInt();

    const auto result = windowRun_.run([&] { return link_->DownloadFiles(choice); });
    // The FLASH browse button takes the focus after the message, both for a
    // missing file and for no file chosen.
    if (result == link::DownloadResult::NotValid || result == link::DownloadResult::NothingChosen)
        CmdBtnFLASH->setFocus();
}

void FrmMain::AutoSelect(QWidget* control)
{
    if (auto* textBox = qobject_cast<QLineEdit*>(control)) {
        textBox->setSelection(0, textBox->text().size());
    } else if (auto* list = qobject_cast<QComboBox*>(control); list && list->lineEdit()) {
        list->lineEdit()->setCursorPosition(0);
    }
}

void FrmMain::CmdBtnDwl_Click()
{
    DownloadFiles();
}

void FrmMain::CmdBtnCanc_Click()
{
    CancelRequested = true;
    CmdBtnCanc->setEnabled(false);
}

void FrmMain::cancelKeyPressed()
{
    if (CmdBtnCanc->isVisible() && CmdBtnCanc->isEnabled())
        CmdBtnCanc->click();
}

void FrmMain::CmdBtnInfo_Click()
{
    infowindow::FrmInfo::showModal();
}

void FrmMain::CmdBtnExit_Click()
{
    if (close())
        QCoreApplication::quit();
}

// While a download runs, windowRun_ holds the close back until it has wound up.
void FrmMain::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void FrmMain::Form_Unload()
{
    if (port_.isOpen())
        port_.close();
    SaveSettings(settingsPaths_.save);
}

void FrmMain::showEvent(QShowEvent* event)
{
    if (!centred_) {
        centred_ = true;
        if (const QScreen* shown = screen())
            move(shown->availableGeometry().center() - rect().center());
    }
    QWidget::showEvent(event);
}

}  // namespace korvel::mainwindow
