// The main window's controls as they are created: positions in twips, texts,
// tooltips, fonts, tab order. Only the logo is visible until Form_Load.
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>

#include "KorvelResources.h"
#include "infowindow/WindowMeasures.h"
#include "mainwindow/ClassicFrame.h"
#include "mainwindow/FileNameBox.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/WrappingCheckBox.h"

namespace korvel {

using windows::px;
using windows::twipsRect;

namespace {

const QColor kDarkGrey(64, 64, 64);

// A fixed-pitch face fitted to cells of 5 x 12 pixels: the cell of the 9-point
// terminal font that the status row and the log are laid out for, so that
// "Status:" fits its label and the line count follows "lines remaining ".
QFont cellFont()
{
    constexpr int kCellWidth = 5;
    constexpr int kCellHeight = 12;
    QFont font = windows::windowFont(
        {QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"), QStringLiteral("Monospace")}, 9);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    for (int pixels = font.pixelSize(); pixels > 6 && QFontMetrics(font).lineSpacing() > kCellHeight;)
        font.setPixelSize(--pixels);
    const qreal advance = QFontMetricsF(font).horizontalAdvance(QLatin1Char('0'));
    font.setStretch(qRound(100.0 * kCellWidth / advance));
    return font;
}

template <typename Control> Control* named(Control* control, const char* name, const QRect& geometry)
{
    control->setObjectName(QLatin1String(name));
    control->setGeometry(geometry);
    return control;
}

QLabel* picture(QWidget* parent, const char* name, const QString& resource, int left, int top, int width, int height)
{
    auto* image = named(new QLabel(parent), name, twipsRect(left, top, width, height));
    image->setPixmap(QPixmap(resource));
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return image;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption, const QRect& geometry)
{
    return named(new QLabel(caption, parent), name, geometry);
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QRect& geometry,
                    const QString& tooltip)
{
    auto* control = named(new QPushButton(caption, parent), name, geometry);
    control->setToolTip(tooltip);
    control->setAutoDefault(false);
    return control;
}

// A dark grey line one pixel wide between two points given in twips.
QFrame* line(QWidget* parent, const char* name, int x1, int y1, int x2, int y2)
{
    const QRect geometry(QPoint(px(x1), px(y1)), QPoint(px(x2), px(y2)));
    auto* control = named(new QFrame(parent), name, geometry);
    QPalette palette = control->palette();
    palette.setColor(QPalette::Window, kDarkGrey);
    control->setPalette(palette);
    control->setAutoFillBackground(true);
    return control;
}

}  // namespace

void FrmMain::createControls()
{
    createPictures();
    createSerialFrame();
    createFileFrame();
    createStatusRow();
    createBottomButtons();

    LblCmdLin = label(this, "LblCmdLin", QString(), twipsRect(120, 200, 135, 1455));
    LblCmdLin->setFont(cellFont());
    LblCmdLin->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LblCmdLin->hide();

    // The count stands over the end of the status or log line.
    LblLineSent->raise();

    for (QWidget* hidden : std::initializer_list<QWidget*>{ImgBoardE, ImgBoardA, ImgBoardB, ImgBoardC, ImgBoardD,
                                                           FraCom, FraFile, Line1, Line2, Line3, Line4, LblStatus,
                                                           LblExec, LblLineSent, LblFwVer, CmdBtnInfo, CmdBtnExit})
        hidden->hide();
    setTabOrder();
}

void FrmMain::createPictures()
{
    ImgKorvel = picture(this, "ImgKorvel", resources::kLogo, 5760, 120, 3315, 1350);
    ImgBoardE = picture(this, "ImgBoardE", resources::kBoardE, 240, 120, 1995, 1200);
    ImgBoardA = picture(this, "ImgBoardA", resources::kBoardA, 240, 1200, 1995, 1200);
    ImgBoardB = picture(this, "ImgBoardB", resources::kBoardB, 240, 2160, 2685, 1200);
    ImgBoardC = picture(this, "ImgBoardC", resources::kBoardC, 3360, 2280, 2760, 1065);
    ImgBoardD = picture(this, "ImgBoardD", resources::kBoardD, 6480, 2280, 2685, 990);
}

void FrmMain::createSerialFrame()
{
    FraCom = named(new ClassicFrame(QStringLiteral("Serial line"), this), "FraCom", twipsRect(3000, 120, 2295, 1935));
    LblCom = label(FraCom, "LblCom", QStringLiteral("Com Port:"), twipsRect(120, 360, 855, 255));
    CmbBoxCom = named(new QComboBox(FraCom), "CmbBoxCom", twipsRect(1080, 240, 975, 315));
    CmbBoxCom->setToolTip(QStringLiteral("Select RS 232 serial line connected to target."));
    LblBaud = label(FraCom, "LblBaud", QStringLiteral("Baud rate:      115200"), twipsRect(120, 600, 1935, 255));
    LblBitxchr = label(FraCom, "LblBitxchr", QStringLiteral("Bit x chr:         8"), twipsRect(120, 840, 1935, 255));
    LblStopBit = label(FraCom, "LblStopBit", QStringLiteral("Stop bit:          1"), twipsRect(120, 1080, 2055, 255));
    LblParity = label(FraCom, "LblParity", QStringLiteral("Parity:             None"), twipsRect(120, 1320, 2055, 255));
    LblFlow = label(FraCom, "LblFlow", QStringLiteral("Flow control:   XON, XOFF"), twipsRect(120, 1560, 2055, 255));
}

void FrmMain::createFileFrame()
{
    FraFile = named(new ClassicFrame(QStringLiteral("Files"), this), "FraFile", twipsRect(240, 3480, 8895, 2175));

    FLASHCheck = named(new WrappingCheckBox(QStringLiteral("FLASH  (application code)"), FraFile), "FLASHCheck",
                       twipsRect(120, 360, 1695, 495));
    FLASHCheck->setToolTip(QStringLiteral("Enable download to target FLASH."));
    FLASHCheck->setChecked(true);
    TxtBoxFLASHFile = named(new FileNameBox(FraFile), "TxtBoxFLASHFile", twipsRect(1920, 480, 5775, 285));
    TxtBoxFLASHFile->setToolTip(QStringLiteral("FLASH file to download."));
    connect(TxtBoxFLASHFile, &FileNameBox::filesDropped, this, &FrmMain::TxtBoxFLASHFile_OLEDragDrop);
    CmdBtnFLASH = button(FraFile, "CmdBtnFLASH", QStringLiteral("&Browse"), twipsRect(7920, 480, 735, 315),
                         QStringLiteral("Select FLASH file to download."));
    connect(CmdBtnFLASH, &QPushButton::clicked, this, &FrmMain::CmdBtnFLASH_Click);

    EEPCheck = named(new WrappingCheckBox(QStringLiteral("EEPROM       (data, parameters)"), FraFile), "EEPCheck",
                     twipsRect(120, 960, 1695, 495));
    EEPCheck->setToolTip(QStringLiteral("Enable download to target EEPROM."));
    TxtBoxEEPFile = named(new FileNameBox(FraFile), "TxtBoxEEPFile", twipsRect(1920, 1080, 5775, 285));
    TxtBoxEEPFile->setToolTip(QStringLiteral("EEPROM file to download."));
    connect(TxtBoxEEPFile, &FileNameBox::filesDropped, this, &FrmMain::TxtBoxEEPFile_OLEDragDrop);
    CmdBtnEEP = button(FraFile, "CmdBtnEEP", QStringLiteral("B&rowse"), twipsRect(7920, 1080, 735, 315),
                       QStringLiteral("Select EEPROM file to download."));
    connect(CmdBtnEEP, &QPushButton::clicked, this, &FrmMain::CmdBtnEEP_Click);

    // The greyed state comes only from the settings file; once the user
    // changes such a box it is a plain ticked-or-not box again.
    for (QCheckBox* box : {FLASHCheck, EEPCheck}) {
        connect(box, &QCheckBox::stateChanged, box, [box](int state) {
            if (state != Qt::PartiallyChecked)
                box->setTristate(false);
        });
    }

    CmdBtnDwl =
        button(FraFile, "CmdBtnDwl", QStringLiteral("&Synch to target Bootloader..."), twipsRect(3240, 1560, 2415, 495),
               QStringLiteral("Start synchronization process with target Bootloader and then download."));
    connect(CmdBtnDwl, &QPushButton::clicked, this, &FrmMain::CmdBtnDwl_Click);

    CmdBtnCanc = button(FraFile, "CmdBtnCanc", QStringLiteral("Cancel"), twipsRect(3480, 1560, 1815, 495),
                        QStringLiteral("Abort download under execution."));
    CmdBtnCanc->hide();
    connect(CmdBtnCanc, &QPushButton::clicked, this, &FrmMain::CmdBtnCanc_Click);
    // Esc is the cancel button's key, as in a dialog.
    auto* cancelKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(cancelKey, &QShortcut::activated, this, &FrmMain::cancelKeyPressed);
}

void FrmMain::createStatusRow()
{
    Line1 = line(this, "Line1", 240, 5760, 9120, 5760);
    Line2 = line(this, "Line2", 240, 6240, 9120, 6240);
    Line3 = line(this, "Line3", 240, 5760, 240, 6240);
    Line4 = line(this, "Line4", 9120, 5760, 9120, 6240);

    LblStatus = label(this, "LblStatus", QStringLiteral("Status:"), twipsRect(360, 5880, 495, 255));
    LblExec = label(this, "LblExec", QStringLiteral("Idle"), twipsRect(960, 5880, 6135, 255));
    LblLineSent = label(this, "LblLineSent", QStringLiteral("0"), twipsRect(3840, 5880, 1095, 255));
    LblFwVer = label(this, "LblFwVer", QStringLiteral("Target Bootloader Ver."), twipsRect(7080, 5880, 2055, 255));
    for (QLabel* status : {LblStatus, LblExec, LblLineSent, LblFwVer}) {
        status->setFont(cellFont());
        status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    // Opaque, so that the count reads cleanly over any text below it.
    LblLineSent->setAutoFillBackground(true);
}

void FrmMain::createBottomButtons()
{
    CmdBtnInfo = button(this, "CmdBtnInfo", QStringLiteral("&Info"), twipsRect(840, 6360, 1935, 495),
                        QStringLiteral("Show information window."));
    connect(CmdBtnInfo, &QPushButton::clicked, this, &FrmMain::CmdBtnInfo_Click);
    CmdBtnExit = button(this, "CmdBtnExit", QStringLiteral("E&xit"), twipsRect(6360, 6360, 1935, 495),
                        QStringLiteral("Exit from program and return to operating system."));
    connect(CmdBtnExit, &QPushButton::clicked, this, &FrmMain::CmdBtnExit_Click);
}

void FrmMain::setTabOrder()
{
    QWidget* const order[] = {CmbBoxCom, FLASHCheck, TxtBoxFLASHFile, CmdBtnFLASH, EEPCheck,  TxtBoxEEPFile,
                              CmdBtnEEP, CmdBtnDwl,  CmdBtnInfo,      CmdBtnExit,  CmdBtnCanc};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

}  // namespace korvel
