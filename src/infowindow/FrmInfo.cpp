#include "infowindow/FrmInfo.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <qdrawutil.h>

#include "KorvelResources.h"
#include "infowindow/MakerTexts.h"
#include "platform/ProgramInfo.h"
#include "platform/SystemText.h"
#include "platform/WindowMeasures.h"

namespace korvel::infowindow {

using platform::twipsRect;
using platform::windowFont;

namespace {

const QStringList kVerdana = {QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")};
const QStringList kArial = {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                            QStringLiteral("DejaVu Sans")};
const QStringList kMsSansSerif = {QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans")};
const QColor kProductBlue(0, 0, 192);

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry, const QFont& font)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setFont(font);
    return label;
}

void colourText(QLabel* label, const QColor& colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

// Grows or shrinks a label to its text, keeping its left edge, or its right
// edge for a right-aligned label.
void sizeToText(QLabel* label)
{
    const QRect before = label->geometry();
    label->adjustSize();
    if (label->alignment() & Qt::AlignRight)
        label->move(before.right() + 1 - label->width(), before.top());
}

// Any key that produces a character: letters, digits, punctuation, space,
// Enter, Esc, Backspace, Tab. Keys held with Alt produce none; Delete and keys
// without a character (arrows, function keys, modifiers alone) do not count.
bool producesCharacter(const QKeyEvent& event)
{
    return !event.text().isEmpty() && event.key() != Qt::Key_Delete && !(event.modifiers() & Qt::AltModifier);
}

}  // namespace

FrmInfo::FrmInfo(QWidget* parent) : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint)
{
    resources::ensureLoaded();
    setObjectName(QStringLiteral("FrmInfo"));
    setWindowTitle(QString());
    setWindowIcon(QIcon(resources::kIcon));
    setFixedSize(platform::px(8145), platform::px(5640));
    setModal(true);
    createControls();
    Form_Load();
}

void FrmInfo::showModal()
{
    FrmInfo window;
    window.exec();
}

void FrmInfo::createControls()
{
    CMdBtnClose = new QPushButton(tr("&Close"), this);
    CMdBtnClose->setObjectName(QStringLiteral("CMdBtnClose"));
    CMdBtnClose->setGeometry(twipsRect(3480, 5160, 1215, 375));
    CMdBtnClose->setAutoDefault(false);
    CMdBtnClose->setDefault(false);
    CMdBtnClose->installEventFilter(this);
    connect(CMdBtnClose, &QPushButton::clicked, this, &FrmInfo::CMdBtnClose_Click);

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twipsRect(120, 0, 7905, 4995));
    Frame1->setFont(windowFont(kVerdana, 8.25));

    ImgLogo = new QLabel(Frame1);
    ImgLogo->setObjectName(QStringLiteral("ImgLogo"));
    ImgLogo->setGeometry(twipsRect(120, 240, 3255, 1545));
    ImgLogo->setPixmap(QPixmap(resources::kInfoLogo));
    ImgLogo->setScaledContents(true);

    const QFont productFont = windowFont(kVerdana, 27.75, true);
    LblProductName1 =
        makeLabel(Frame1, "LblProductName1", QStringLiteral("A V R"), twipsRect(4680, 240, 1680, 675), productFont);
    colourText(LblProductName1, kProductBlue);
    sizeToText(LblProductName1);

    LblProductName2 = makeLabel(Frame1, "LblProductName2", QStringLiteral("Bootloader"),
                                twipsRect(3840, 840, 3615, 735), productFont);
    colourText(LblProductName2, kProductBlue);

    LblPlatform = makeLabel(Frame1, "LblPlatform", QStringLiteral("Windows 98, ME, 2000, NT, XP"),
                            twipsRect(3780, 1560, 3435, 285), windowFont(kArial, 12, true));
    LblPlatform->setAlignment(Qt::AlignRight | Qt::AlignTop);
    colourText(LblPlatform, kProductBlue);
    sizeToText(LblPlatform);

    LblVersion = makeLabel(Frame1, "LblVersion", QStringLiteral("Version"), twipsRect(240, 1920, 1725, 285),
                           windowFont(kArial, 12, true));

    LblWeb = makeLabel(Frame1, "LblWeb", platform::qtText(kWebAddresses), twipsRect(5160, 2160, 2055, 495),
                       windowFont(kMsSansSerif, 9.75, true));
    LblWeb->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    LblWeb->setWordWrap(true);

    const QFont smallFont = windowFont(kArial, 8.25);
    LblCopyright =
        makeLabel(Frame1, "LblCopyright", platform::qtText(kRightsNotice), twipsRect(240, 2280, 1215, 255), smallFont);
    LblCompany =
        makeLabel(Frame1, "LblCompany", platform::qtText(kCompanyName), twipsRect(240, 2520, 1935, 255), smallFont);
    LblWarning = makeLabel(Frame1, "LblWarning", platform::qtText(kLiabilityDisclaimer),
                           twipsRect(200, 2950, 7455, 1935), smallFont);
    LblWarning->setWordWrap(true);
    LblWarning->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void FrmInfo::Form_Load()
{
    LblVersion->setText(QStringLiteral("Version ") +
                        platform::versionNumberText(platform::kVersionMajor, platform::kVersionMinor));
    sizeToText(LblVersion);
}

void FrmInfo::CMdBtnClose_Click()
{
    accept();
}

bool FrmInfo::Form_KeyPress(const QKeyEvent& event)
{
    if (!producesCharacter(event))
        return false;
    accept();
    return true;
}

bool FrmInfo::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && Form_KeyPress(static_cast<const QKeyEvent&>(*event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void FrmInfo::keyPressEvent(QKeyEvent* event)
{
    if (!Form_KeyPress(*event))
        QDialog::keyPressEvent(event);
}

void FrmInfo::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    // Without a title bar the window draws its own raised dialog edge.
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), palette(), false);
}

}  // namespace korvel::infowindow
