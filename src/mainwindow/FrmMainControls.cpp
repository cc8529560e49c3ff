// The main window's controls in one table: what each is, where it lies in
// twips, its texts, and how creation, the two arrangements and the idle and
// busy states show and enable it. Only the logo is visible until Form_Load.
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <algorithm>
#include <array>
#include <map>
#include <type_traits>

#include "KorvelResources.h"
#include "mainwindow/ClassicFrame.h"
#include "mainwindow/FileNameBox.h"
#include "mainwindow/FittedLabel.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/WrappingCheckBox.h"
#include "platform/WindowMeasures.h"

namespace korvel::mainwindow {

using platform::px;
using platform::twipsRect;

// One row of the control table.
struct FrmMainControl {
    // A fitted label draws a text too long for it narrower (FittedLabel).
    enum class Kind { Picture, Frame, Label, FittedLabel, List, CheckBox, FileBox, Button, Line };
    enum class Font { Window, Cell };  // the window's font, or the status row's fixed-pitch cells
    // What a state does to a control; whatever it leaves out stays as it was.
    // Raise puts it in front of the control it shares its place with;
    // FirstCaption gives it back the caption it was created with.
    enum class Effect { Show = 1, Hide = 2, Enable = 4, Disable = 8, Raise = 16, FirstCaption = 32, NoCaption = 64 };
    Q_DECLARE_FLAGS(Effects, Effect)

    const char* name;
    Kind kind;
    const char* frame;  // the frame it lies in; none: directly on the window
    int left, top, width, height;
    int tab;
    // Created, interactive arrangement, command-line arrangement, idle, busy.
    std::array<Effects, 5> states;
    QString caption = {};  // a picture's image
    const char* tooltip = nullptr;
    Font font = Font::Window;
    void (*member)(FrmMain&, QWidget*) = nullptr;  // fills the member of a control that code uses
    void (FrmMain::*clicked)() = nullptr;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(FrmMainControl::Effects)

namespace {

using Kind = FrmMainControl::Kind;
using Effect = FrmMainControl::Effect;
using Effects = FrmMainControl::Effects;

constexpr Effects kAsIs{};
constexpr Effects kShow = Effect::Show;
constexpr Effects kHide = Effect::Hide;
constexpr Effects kOn = Effect::Enable;
constexpr Effects kOff = Effect::Disable;
constexpr Effects kShowOn = Effect::Show | Effect::Enable;
constexpr Effects kHideOff = Effect::Hide | Effect::Disable;
constexpr Effects kOnTop = Effect::Show | Effect::Enable | Effect::Raise;
constexpr Effects kFirst = Effect::FirstCaption;
constexpr Effects kBlank = Effect::NoCaption;
constexpr Effects kHideBlank = Effect::Hide | Effect::NoCaption;

constexpr auto kWin = FrmMainControl::Font::Window;
constexpr auto kCell = FrmMainControl::Font::Cell;
constexpr int kNoTab = -1;  // pictures and lines have no place in the tab order

const QColor kDarkGrey(64, 64, 64);

// A fixed-pitch face fitted to cells of 5 x 12 pixels: the cell of the 9-point
// terminal font that the status row and the log are laid out for, so that
// "Status:" fits its label and the line count follows "lines remaining ".
QFont cellFont()
{
    constexpr int kCellWidth = 5;
    constexpr int kCellHeight = 12;
    QFont font = platform::windowFont(
        {QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"), QStringLiteral("Monospace")}, 9);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    for (int pixels = font.pixelSize(); pixels > 6 && QFontMetrics(font).lineSpacing() > kCellHeight;)
        font.setPixelSize(--pixels);
    const qreal advance = QFontMetricsF(font).horizontalAdvance(QLatin1Char('0'));
    font.setStretch(qRound(100.0 * kCellWidth / advance));
    return font;
}

// Stores a created control in the window's member for it.
template <auto Member> void fill(FrmMain& window, QWidget* control)
{
    using Control = std::remove_pointer_t<std::remove_reference_t<decltype(window.*Member)>>;
    window.*Member = qobject_cast<Control*>(control);
}

template <typename Control> Control* placed(Control* control, const FrmMainControl& row)
{
    control->setObjectName(QLatin1String(row.name));
    control->setGeometry(twipsRect(row.left, row.top, row.width, row.height));
    if (row.tooltip)
        control->setToolTip(QString::fromLatin1(row.tooltip));
    if (row.font == FrmMainControl::Font::Cell)
        control->setFont(cellFont());
    return control;
}

QWidget* makeControl(const FrmMainControl& row, QWidget* parent)
{
    switch (row.kind) {
    case Kind::Picture: {
        auto* image = placed(new QLabel(parent), row);
        image->setPixmap(QPixmap(row.caption));
        image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return image;
    }
    case Kind::Frame:
        return placed(new ClassicFrame(row.caption, parent), row);
    case Kind::Label:
    case Kind::FittedLabel: {
        QLabel* label =
            row.kind == Kind::Label ? new QLabel(row.caption, parent) : new FittedLabel(row.caption, parent);
        placed(label, row);
        // The status row and the log write from the top left of their area.
        if (row.font == FrmMainControl::Font::Cell)
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case Kind::List:
        return placed(new QComboBox(parent), row);
    case Kind::CheckBox:
        return placed(new WrappingCheckBox(row.caption, parent), row);
    case Kind::FileBox:
        return placed(new FileNameBox(parent), row);
    case Kind::Button: {
        auto* button = placed(new QPushButton(row.caption, parent), row);
        button->setAutoDefault(false);
        return button;
    }
    case Kind::Line: {
        // One dark grey pixel wide, from one end point to the other.
        auto* line = placed(new QFrame(parent), row);
        line->setGeometry(
            QRect(QPoint(px(row.left), px(row.top)), QPoint(px(row.left + row.width), px(row.top + row.height))));
        QPalette palette = line->palette();
        palette.setColor(QPalette::Window, kDarkGrey);
        line->setPalette(palette);
        line->setAutoFillBackground(true);
        return line;
    }
    }
    return nullptr;
}

}  // namespace

// Each row: the control's name and kind, the frame it lies in, its left, top,
// width and height in twips, its place in the tab order; what creation, the
// interactive and command-line arrangements, SetIdleState and SetBusyState do
// to it; its caption (a picture's image), tooltip and font, the member through
// which code reaches it and its click handler, where it has them.
//
// The rows lie in the order the controls are created, so that a later control
// is drawn above an earlier one: the line count stands over the end of the
// status and log lines. A control in a frame is created shown and appears with
// its frame; a line runs from (left, top) to (left + width, top + height).
const std::vector<FrmMainControl>& FrmMain::controlTable()
{
    using W = FrmMain;
    // clang-format off
    static const std::vector<FrmMainControl> table = {
        // name             kind               frame      left   top width height    tab
        // created interactive command line idle busy     caption, tooltip, font, member, click handler
        {"ImgKorvel",       Kind::Picture,     nullptr,   5760,  120, 3315, 1350, kNoTab,
         {kShow, kAsIs, kAsIs, kAsIs,      kAsIs},    resources::kLogo},
        {"ImgBoardE",       Kind::Picture,     nullptr,    240,  120, 1995, 1200, kNoTab,
         {kAsIs, kShow, kAsIs, kAsIs,      kAsIs},    resources::kBoardE},
        {"ImgBoardA",       Kind::Picture,     nullptr,    240, 1200, 1995, 1200, kNoTab,
         {kAsIs, kShow, kAsIs, kAsIs,      kAsIs},    resources::kBoardA},
        {"ImgBoardB",       Kind::Picture,     nullptr,    240, 2160, 2685, 1200, kNoTab,
         {kAsIs, kShow, kAsIs, kAsIs,      kAsIs},    resources::kBoardB},
        {"ImgBoardC",       Kind::Picture,     nullptr,   3360, 2280, 2760, 1065, kNoTab,
         {kAsIs, kShow, kAsIs, kAsIs,      kAsIs},    resources::kBoardC},
        {"ImgBoardD",       Kind::Picture,     nullptr,   6480, 2280, 2685,  990, kNoTab,
         {kAsIs, kShow, kAsIs, kAsIs,      kAsIs},    resources::kBoardD},

        {"FraCom",          Kind::Frame,       nullptr,   3000,  120, 2295, 1935,     11,
         {kAsIs, kShow, kAsIs, kAsIs,      kAsIs},    "Serial line"},
        {"LblCom",          Kind::Label,       "FraCom",   120,  360,  855,  255,     12,
         {kShow, kAsIs, kAsIs, kAsIs,      kAsIs},    "Com Port:"},
        {"CmbBoxCom",       Kind::List,        "FraCom",  1080,  240,  975,  315,      0,
         {kShow, kAsIs, kAsIs, kOn,        kOff},     "", "Select RS 232 serial line connected to target.",
                                                      kWin, fill<&W::CmbBoxCom>},
        {"LblBaud",         Kind::Label,       "FraCom",   120,  600, 1935,  255,     14,
         {kShow, kAsIs, kAsIs, kAsIs,      kAsIs},    "Baud rate:      115200"},
        {"LblBitxchr",      Kind::Label,       "FraCom",   120,  840, 1935,  255,     15,
         {kShow, kAsIs, kAsIs, kAsIs,      kAsIs},    "Bit x chr:         8"},
        {"LblStopBit",      Kind::Label,       "FraCom",   120, 1080, 2055,  255,     16,
         {kShow, kAsIs, kAsIs, kAsIs,      kAsIs},    "Stop bit:          1"},
        {"LblParity",       Kind::Label,       "FraCom",   120, 1320, 2055,  255,     17,
         {kShow, kAsIs, kAsIs, kAsIs,      kAsIs},    "Parity:             None"},
        {"LblFlow",         Kind::Label,       "FraCom",   120, 1560, 2055,  255,     18,
         {kShow, kAsIs, kAsIs, kAsIs,      kAsIs},    "Flow control:   XON, XOFF"},

        {"FraFile",         Kind::Frame,       nullptr,    240, 3480, 8895, 2175,     13,
         {kAsIs, kShow, kAsIs, kAsIs,      kAsIs},    "Files"},
        {"FLASHCheck",      Kind::CheckBox,    "FraFile",  120,  360, 1695,  495,      1,
         {kShow, kAsIs, kAsIs, kOn,        kOff},     "FLASH  (application code)",
                                                      "Enable download to target FLASH.", kWin, fill<&W::FLASHCheck>},
        {"TxtBoxFLASHFile", Kind::FileBox,     "FraFile", 1920,  480, 5775,  285,      2,
         {kShow, kAsIs, kAsIs, kOn,        kOff},     "", "FLASH file to download.",
                                                      kWin, fill<&W::TxtBoxFLASHFile>},
        {"CmdBtnFLASH",     Kind::Button,      "FraFile", 7920,  480,  735,  315,      3,
         {kShow, kAsIs, kAsIs, kOn,        kOff},     "&Browse", "Select FLASH file to download.",
                                                      kWin, fill<&W::CmdBtnFLASH>, &W::CmdBtnFLASH_Click},
        {"EEPCheck",        Kind::CheckBox,    "FraFile",  120,  960, 1695,  495,      4,
         {kShow, kAsIs, kAsIs, kOn,        kOff},     "EEPROM       (data, parameters)",
                                                      "Enable download to target EEPROM.", kWin, fill<&W::EEPCheck>},
        {"TxtBoxEEPFile",   Kind::FileBox,     "FraFile", 1920, 1080, 5775,  285,      5,
         {kShow, kAsIs, kAsIs, kOn,        kOff},     "", "EEPROM file to download.",
                                                      kWin, fill<&W::TxtBoxEEPFile>},
        {"CmdBtnEEP",       Kind::Button,      "FraFile", 7920, 1080,  735,  315,      6,
         {kShow, kAsIs, kAsIs, kOn,        kOff},     "B&rowse", "Select EEPROM file to download.",
                                                      kWin, nullptr, &W::CmdBtnEEP_Click},
        {"CmdBtnDwl",       Kind::Button,      "FraFile", 3240, 1560, 2415,  495,      7,
         {kShow, kAsIs, kAsIs, kShowOn,    kHideOff}, "&Synch to target Bootloader...",
         "Start synchronization process with target Bootloader and then download.",
                                                      kWin, nullptr, &W::CmdBtnDwl_Click},
        {"CmdBtnCanc",      Kind::Button,      "FraFile", 3480, 1560, 1815,  495,     10,
         {kAsIs, kAsIs, kAsIs, kHide,      kOnTop},   "Cancel", "Abort download under execution.",
                                                      kWin, fill<&W::CmdBtnCanc>, &W::CmdBtnCanc_Click},

        {"Line1",           Kind::Line,        nullptr,    240, 5760, 8880,    0, kNoTab,
         {kAsIs, kShow, kAsIs, kAsIs,      kAsIs}},
        {"Line2",           Kind::Line,        nullptr,    240, 6240, 8880,    0, kNoTab,
         {kAsIs, kShow, kAsIs, kAsIs,      kAsIs}},
        {"Line3",           Kind::Line,        nullptr,    240, 5760,    0,  480, kNoTab,
         {kAsIs, kShow, kAsIs, kAsIs,      kAsIs}},
        {"Line4",           Kind::Line,        nullptr,   9120, 5760,    0,  480, kNoTab,
         {kAsIs, kShow, kAsIs, kAsIs,      kAsIs}},
        {"LblStatus",       Kind::Label,       nullptr,    360, 5880,  495,  255,     20,
         {kAsIs, kShow, kAsIs, kAsIs,      kAsIs},    "Status:", nullptr, kCell},
        {"LblExec",         Kind::Label,       nullptr,    960, 5880, 6135,  255,     21,
         {kAsIs, kShow, kAsIs, kFirst,     kBlank},   "Idle", nullptr, kCell, fill<&W::LblExec>},
        {"LblFwVer",        Kind::FittedLabel, nullptr,   7080, 5880, 2055,  255,     22,
         {kAsIs, kShow, kAsIs, kAsIs,      kAsIs},    "Target Bootloader Ver.", nullptr, kCell, fill<&W::LblFwVer>},

        {"CmdBtnInfo",      Kind::Button,      nullptr,    840, 6360, 1935,  495,      8,
         {kAsIs, kShow, kAsIs, kOn,        kOff},     "&Info", "Show information window.",
                                                      kWin, nullptr, &W::CmdBtnInfo_Click},
        {"CmdBtnExit",      Kind::Button,      nullptr,   6360, 6360, 1935,  495,      9,
         {kAsIs, kShow, kAsIs, kOn,        kOff},     "E&xit", "Exit from program and return to operating system.",
                                                      kWin, nullptr, &W::CmdBtnExit_Click},

        {"LblCmdLin",       Kind::Label,       nullptr,    120,  200,  135, 1455,     19,
         {kAsIs, kAsIs, kShow, kAsIs,      kAsIs},    "", nullptr, kCell, fill<&W::LblCmdLin>},
        {"LblLineSent",     Kind::Label,       nullptr,   3840, 5880, 1095,  255,     23,
         {kAsIs, kAsIs, kAsIs, kHideBlank, kAsIs},    "0", nullptr, kCell, fill<&W::LblLineSent>},
    };
    // clang-format on
    return table;
}

void FrmMain::createControls()
{
    std::map<std::string, QWidget*> frames;
    for (const FrmMainControl& row : controlTable()) {
        QWidget* parent = row.frame ? frames.at(row.frame) : this;
        QWidget* control = makeControl(row, parent);
        if (row.kind == Kind::Frame)
            frames[row.name] = control;
        if (row.member)
            row.member(*this, control);
        if (row.clicked)
            connect(qobject_cast<QPushButton*>(control), &QPushButton::clicked, this, row.clicked);
        if (!(row.states[static_cast<std::size_t>(ControlState::Created)] & Effect::Show))
            control->hide();
    }
    setTabOrder();

    // Opaque, so that the count reads cleanly over any text below it.
    LblLineSent->setAutoFillBackground(true);
    // The version ends as far inside the status frame as "Status:" starts.
    const auto left = [this](const char* name) { return findChild<QWidget*>(QLatin1String(name))->x(); };
    const int inset = left("LblStatus") - left("Line3");
    LblFwVer->setContentsMargins(0, 0, LblFwVer->geometry().right() + inset - left("Line4"), 0);

    // FLASH starts ticked, EEPROM not; the settings file may change both.
    FLASHCheck->setChecked(true);
    // The greyed state comes only from the settings file; once the user
    // changes such a box it is a plain ticked-or-not box again.
    for (QCheckBox* box : {FLASHCheck, EEPCheck}) {
        connect(box, &QCheckBox::stateChanged, box, [box](int state) {
            if (state != Qt::PartiallyChecked)
                box->setTristate(false);
        });
    }
    connect(TxtBoxFLASHFile, &FileNameBox::filesDropped, this, &FrmMain::TxtBoxFLASHFile_OLEDragDrop);
    connect(TxtBoxEEPFile, &FileNameBox::filesDropped, this, &FrmMain::TxtBoxEEPFile_OLEDragDrop);
    // Esc is the cancel button's key, as in a dialog.
    auto* cancelKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(cancelKey, &QShortcut::activated, this, &FrmMain::cancelKeyPressed);
}

void FrmMain::applyState(ControlState state)
{
    const auto column = static_cast<std::size_t>(state);
    // Shown and hidden first, then enabled and disabled: the focus that leaves
    // the controls the busy state disables then passes to Cancel, already shown.
    for (const FrmMainControl& row : controlTable()) {
        const Effects effects = row.states[column];
        QWidget* control = findChild<QWidget*>(QLatin1String(row.name));
        if (effects & Effect::Show)
            control->show();
        if (effects & Effect::Hide)
            control->hide();
    }
    for (const FrmMainControl& row : controlTable()) {
        const Effects effects = row.states[column];
        QWidget* control = findChild<QWidget*>(QLatin1String(row.name));
        if (effects & Effect::Enable)
            control->setEnabled(true);
        if (effects & Effect::Disable)
            control->setEnabled(false);
        if (effects & Effect::Raise)
            control->raise();
        if (effects & Effect::FirstCaption)
            qobject_cast<QLabel*>(control)->setText(row.caption);
        if (effects & Effect::NoCaption)
            qobject_cast<QLabel*>(control)->clear();
    }
}

void FrmMain::setTabOrder()
{
    std::vector<const FrmMainControl*> focusable;
    for (const FrmMainControl& row : controlTable())
        if (row.tab != kNoTab && (findChild<QWidget*>(QLatin1String(row.name))->focusPolicy() & Qt::TabFocus))
            focusable.push_back(&row);
    std::sort(focusable.begin(), focusable.end(),
              [](const FrmMainControl* a, const FrmMainControl* b) { return a->tab < b->tab; });
    for (std::size_t i = 1; i < focusable.size(); ++i)
        QWidget::setTabOrder(findChild<QWidget*>(QLatin1String(focusable[i - 1]->name)),
                             findChild<QWidget*>(QLatin1String(focusable[i]->name)));
}

}  // namespace korvel::mainwindow
