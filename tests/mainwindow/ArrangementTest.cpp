// The window's arrangements, its look, its port probe and its idle and busy states.
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <set>
#include <unistd.h>

#include "../infowindow/CaptionFit.h"
#include "Pty.h"
#include "WindowRig.h"
#include "platform/PortTrouble.h"

namespace {

// The window's own controls: every named widget but Qt's internal ones.
std::vector<QWidget*> ownControls(WindowRig& rig)
{
    std::vector<QWidget*> found;
    for (QWidget* control : rig.window.findChildren<QWidget*>())
        if (!control->objectName().isEmpty() && !control->objectName().startsWith(QStringLiteral("qt_")))
            found.push_back(control);
    return found;
}

// The names of the controls that are shown, or enabled.
std::set<std::string> controls(WindowRig& rig, bool enabled)
{
    std::set<std::string> marked;
    for (QWidget* control : ownControls(rig))
        if (enabled ? control->isEnabled() : control->isVisibleTo(&rig.window))
            marked.insert(control->objectName().toStdString());
    return marked;
}

std::set<std::string> allControlsBut(WindowRig& rig, const std::set<std::string>& leftOut)
{
    std::set<std::string> result;
    for (QWidget* control : ownControls(rig))
        if (!leftOut.count(control->objectName().toStdString()))
            result.insert(control->objectName().toStdString());
    return result;
}

TEST(MainWindowArrangement, InteractiveShowsEverythingButCancelCountAndLog)
{
    WindowRig rig({});
    EXPECT_EQ(controls(rig, false), std::set<std::string>{"ImgKorvel"});
    rig.window.Form_Load();
    EXPECT_EQ(controls(rig, false), allControlsBut(rig, {"CmdBtnCanc", "LblLineSent", "LblCmdLin"}));
    EXPECT_EQ(rig.control<QLabel>("LblExec").text(), QStringLiteral("Idle"));
    EXPECT_EQ(controlsWithClippedCaptions(rig.window), std::vector<std::string>{});

    WindowRig compact({}, true);
    compact.window.Form_Load();
    EXPECT_EQ(controls(compact, false), (std::set<std::string>{"ImgKorvel", "LblCmdLin"}));
}

TEST(MainWindowStates, BusyAndIdleSwitchTheControlsAndCancel)
{
    WindowRig rig({});
    ASSERT_TRUE(rig.loadAndShow());
    auto& cancel = rig.control<QPushButton>("CmdBtnCanc");
    QTest::keyClick(&rig.window, Qt::Key_Escape);
    EXPECT_FALSE(rig.window.isCancelRequested());

    rig.control<QPushButton>("CmdBtnDwl").setFocus();
    rig.window.SetBusyState();
    EXPECT_EQ(controls(rig, false), allControlsBut(rig, {"CmdBtnDwl", "LblLineSent", "LblCmdLin"}));
    EXPECT_FALSE(rig.isIdle());
    // Only Cancel and the passive parts stay enabled; the focus moves on to Cancel.
    EXPECT_EQ(controls(rig, true),
              allControlsBut(rig, {"CmdBtnDwl", "CmdBtnFLASH", "CmdBtnEEP", "CmdBtnInfo", "CmdBtnExit", "CmbBoxCom",
                                   "FLASHCheck", "EEPCheck", "TxtBoxFLASHFile", "TxtBoxEEPFile"}));
    EXPECT_TRUE(cancel.hasFocus());
    EXPECT_EQ(rig.control<QLabel>("LblExec").text(), QString());
    EXPECT_FALSE(rig.window.isCancelRequested());
    QTest::keyClick(&rig.window, Qt::Key_Escape);
    EXPECT_TRUE(rig.window.isCancelRequested());
    EXPECT_FALSE(cancel.isEnabled());

    rig.window.lineSentLabel().setText(QStringLiteral("17"));
    rig.window.lineSentLabel().show();
    rig.window.SetIdleState();
    EXPECT_TRUE(rig.isIdle());
    EXPECT_EQ(controls(rig, true), allControlsBut(rig, {"CmdBtnCanc"}));
    EXPECT_FALSE(rig.window.lineSentLabel().isVisible());
    EXPECT_TRUE(rig.window.lineSentLabel().text().isEmpty());
    // Only the next busy state clears a request.
    EXPECT_TRUE(rig.window.isCancelRequested());
    rig.window.SetBusyState();
    EXPECT_FALSE(rig.window.isCancelRequested());
}

// The columns of `area` in which `image` holds anything but the window's background.
std::vector<int> inkColumns(const QImage& image, const QRect& area, const QColor& background)
{
    std::vector<int> columns;
    for (int x = area.left(); x <= area.right(); ++x)
        for (int y = area.top(); y <= area.bottom(); ++y)
            if (image.pixelColor(x, y) != background) {
                columns.push_back(x);
                break;
            }
    return columns;
}

// Drawn, the EEPROM caption's name stands alone on its first line, as FLASH's
// does, without the caption's run of blanks as a wide gap inside the line; the
// version, however long, ends as far inside the status frame as "Status:" starts.
TEST(MainWindowLook, EepromNameAloneAndVersionClearOfTheFrame)
{
    WindowRig rig({});
    ASSERT_TRUE(rig.loadAndShow());
    const QColor background = rig.window.palette().color(QPalette::Window);
    auto& box = rig.control<QWidget>("EEPCheck");
    const QImage caption = box.grab().toImage();
    const std::vector<int> firstLine =
        inkColumns(caption, QRect(0, 0, caption.width(), caption.height() / 2), background);
    ASSERT_FALSE(firstLine.empty());
    int widestGap = 0;
    for (std::size_t i = 1; i < firstLine.size(); ++i)
        widestGap = std::max(widestGap, firstLine[i] - firstLine[i - 1] - 1);
    EXPECT_LE(widestGap, 2 * QFontMetrics(box.font()).horizontalAdvance(QLatin1Char(' ')));

    auto& version = rig.control<QLabel>("LblFwVer");
    const int frameLeft = rig.control<QWidget>("Line3").x();
    const int frameRight = rig.control<QWidget>("Line4").x();
    const QRect inside(frameLeft + 1, version.y(), frameRight - frameLeft - 1, version.height());
    const auto drawnWith = [&rig, &version, &inside](const QString& text) {
        version.setText(text);
        return rig.window.grab().toImage().copy(inside);
    };
    for (const QString& number : {QStringLiteral("1.28"), QStringLiteral("12.345678")}) {
        const QString text = QStringLiteral("Target Bootloader Ver. ") + number;
        const QImage drawn = drawnWith(text);
        const std::vector<int> ink = inkColumns(drawn, drawn.rect(), background);
        ASSERT_FALSE(ink.empty());
        EXPECT_GE(drawn.width() - ink.back(), ink.front() + 1) << number.toStdString();
        // Not cut off at the margin: the last digit shows.
        EXPECT_TRUE(drawn != drawnWith(text.chopped(1))) << number.toStdString();
    }
}

struct ListedPort {
    QString text;
    int data;
    QString tooltip;
    bool operator==(const ListedPort& other) const
    {
        return text == other.text && data == other.data && tooltip == other.tooltip;
    }
};

std::vector<ListedPort> listedPorts(WindowRig& rig)
{
    auto& list = rig.control<QComboBox>("CmbBoxCom");
    std::vector<ListedPort> ports;
    for (int i = 0; i < list.count(); ++i)
        ports.push_back({list.itemText(i), list.itemData(i).toInt(), list.itemData(i, Qt::ToolTipRole).toString()});
    return ports;
}

// Ports 3, 5 and 7 open; 5 is held by another program and left out. Each entry
// names its device, a link with its target.
TEST(PortProbe, ListsExactlyThePortsThatOpenAndSelectsTheFirst)
{
    const QString comTip = QStringLiteral("Select RS 232 serial line connected to target.");
    Pty com3;
    Pty com5;
    Pty com7;
    QTemporaryDir links;
    const std::string link = links.filePath(QStringLiteral("usb-adapter-port0")).toStdString();
    ASSERT_EQ(::symlink(com7.slavePath().c_str(), link.c_str()), 0);
    korvel::platform::DeviceSerialPort otherProgram(com5.portMap(5));
    otherProgram.setPortNumber(5);
    otherProgram.open();
    WindowRig rig({{3, com3.slavePath()}, {5, com5.slavePath()}, {7, link}});
    rig.window.Form_Load();
    const QString com3Path = QString::fromStdString(com3.slavePath());
    const QString com7Tip = QString::fromStdString(link + " (" + com7.slavePath() + ")");
    EXPECT_EQ(listedPorts(rig), (std::vector<ListedPort>{{"Com3", 3, com3Path}, {"Com7", 7, com7Tip}}));
    EXPECT_EQ(rig.control<QComboBox>("CmbBoxCom").currentIndex(), 0);
    EXPECT_EQ(rig.control<QComboBox>("CmbBoxCom").toolTip(), comTip);
    EXPECT_FALSE(rig.port.isOpen());

    WindowRig none({});
    none.window.Form_Load();
    EXPECT_TRUE(listedPorts(none).empty());
    EXPECT_EQ(none.control<QComboBox>("CmbBoxCom").currentIndex(), -1);
    // An empty list's tooltip says why below its own line.
    EXPECT_EQ(none.control<QComboBox>("CmbBoxCom").toolTip(),
              comTip + QLatin1Char('\n') + korvel::platform::whyNoPortOpens(none.port.portMap()));
}

}  // namespace
