// The main window: its arrangements, its look, its port probe, its idle and
// busy states, and its download front end against the target simulator.
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <set>
#include <unistd.h>

#include "../infowindow/CaptionFit.h"
#include "BoxAnswerer.h"
#include "PtyPair.h"
#include "Tools.h"
#include "WindowRig.h"
#include "platform/PortTrouble.h"

namespace {

// What the lists of controls below pick.
bool (*const shown)(QWidget&) = [](QWidget& control) { return control.isVisibleTo(control.window()); };
bool (*const anyControl)(QWidget&) = [](QWidget&) { return true; };

// The names of the window's own controls (Qt's internal ones left out) for
// which `pick` holds, but those left out.
std::set<std::string> controls(WindowRig& rig, bool (*pick)(QWidget&), const std::set<std::string>& leftOut = {})
{
    std::set<std::string> names;
    for (QWidget* control : rig.window.findChildren<QWidget*>()) {
        const std::string name = control->objectName().toStdString();
        if (!name.empty() && name.rfind("qt_", 0) != 0 && !leftOut.count(name) && pick(*control))
            names.insert(name);
    }
    return names;
}

TEST(MainWindowArrangement, InteractiveShowsEverythingButCancelCountAndLog)
{
    WindowRig rig({});
    EXPECT_EQ(controls(rig, shown), std::set<std::string>{"ImgKorvel"});
    rig.window.Form_Load();
    EXPECT_EQ(controls(rig, shown), controls(rig, anyControl, {"CmdBtnCanc", "LblLineSent", "LblCmdLin"}));
    EXPECT_EQ(controlsWithClippedCaptions(rig.window), std::vector<std::string>{});

    WindowRig compact({}, true);
    compact.window.Form_Load();
    EXPECT_EQ(controls(compact, shown), (std::set<std::string>{"ImgKorvel", "LblCmdLin"}));
}

// Busy, the focus moves on to Cancel, which Esc presses; the request stays
// after the download until the next busy state clears it.
TEST(MainWindowStates, CancelTakesTheFocusAndEscWhileBusy)
{
    WindowRig rig({});
    ASSERT_TRUE(rig.loadAndShow());
    auto& cancel = rig.control<QPushButton>("CmdBtnCanc");
    rig.control<QPushButton>("CmdBtnDwl").setFocus();
    rig.window.SetBusyState();
    EXPECT_TRUE(cancel.hasFocus());
    QTest::keyClick(&rig.window, Qt::Key_Escape);
    EXPECT_TRUE(rig.window.isCancelRequested());
    EXPECT_FALSE(cancel.isEnabled());
    rig.window.SetIdleState();
    EXPECT_TRUE(rig.isIdle());
    EXPECT_TRUE(rig.window.isCancelRequested());
    rig.window.SetBusyState();
    EXPECT_FALSE(rig.window.isCancelRequested());
}

// The columns of `image` that hold anything but `background`.
std::vector<int> inkColumns(const QImage& image, const QColor& background)
{
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixelColor(x, y) != background) {
                columns.push_back(x);
                break;
            }
    return columns;
}

// Drawn, the EEPROM caption's name stands alone on its first line, as FLASH's
// does, without the caption's run of blanks as a wide gap inside the line; a
// long version is narrowed to show whole and ends as far inside the status
// frame as "Status:" starts.
TEST(MainWindowLook, EepromNameAloneAndVersionClearOfTheFrame)
{
    WindowRig rig({});
    ASSERT_TRUE(rig.loadAndShow());
    const QColor background = rig.window.palette().color(QPalette::Window);
    auto& box = rig.control<QWidget>("EEPCheck");
    const QImage caption = box.grab().toImage();
    const std::vector<int> firstLine =
        inkColumns(caption.copy(0, 0, caption.width(), caption.height() / 2), background);
    ASSERT_FALSE(firstLine.empty());
    int widestGap = 0;
    for (std::size_t i = 1; i < firstLine.size(); ++i)
        widestGap = std::max(widestGap, firstLine[i] - firstLine[i - 1] - 1);
    EXPECT_LE(widestGap, 2 * QFontMetrics(box.font()).horizontalAdvance(QLatin1Char(' ')));

    auto& version = rig.control<QLabel>("LblFwVer");
    const int frameLeft = rig.control<QWidget>("Line3").x();
    const QRect inside(frameLeft + 1, version.y(), rig.control<QWidget>("Line4").x() - frameLeft - 1, version.height());
    version.setText(QStringLiteral("Target Bootloader Ver. 12.34567"));
    const QImage shorter = rig.window.grab().toImage().copy(inside);
    version.setText(QStringLiteral("Target Bootloader Ver. 12.345678"));
    const QImage drawn = rig.window.grab().toImage().copy(inside);
    const std::vector<int> ink = inkColumns(drawn, background);
    ASSERT_FALSE(ink.empty());
    EXPECT_GE(drawn.width() - ink.back(), ink.front() + 1);
    EXPECT_TRUE(drawn != shorter) << "the last digit does not show";
}

// The pictures lie at their places in the window, some overlapping; wherever two
// overlap, at most one of them draws, so that no board hides part of another.
TEST(MainWindowLook, PicturesOverlapOnlyWhereOneIsTransparent)
{
    WindowRig rig({});
    rig.window.Form_Load();
    std::vector<QLabel*> pictures;
    for (QLabel* label : rig.window.findChildren<QLabel*>())
        if (label->objectName().startsWith(QLatin1String("Img")) && label->isVisibleTo(&rig.window))
            pictures.push_back(label);
    ASSERT_EQ(pictures.size(), 6u);
    int overlaps = 0;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        for (std::size_t j = i + 1; j < pictures.size(); ++j) {
            const QRect shared = pictures[i]->geometry() & pictures[j]->geometry();
            if (shared.isEmpty())
                continue;
            ++overlaps;
            const QImage first = pictures[i]->pixmap().toImage();
            const QImage second = pictures[j]->pixmap().toImage();
            int bothDrawn = 0;
            for (int y = shared.top(); y <= shared.bottom(); ++y)
                for (int x = shared.left(); x <= shared.right(); ++x)
                    if (qAlpha(first.pixel(QPoint(x, y) - pictures[i]->pos())) != 0 &&
                        qAlpha(second.pixel(QPoint(x, y) - pictures[j]->pos())) != 0)
                        ++bothDrawn;
            EXPECT_EQ(bothDrawn, 0) << pictures[i]->objectName().toStdString() << " and "
                                    << pictures[j]->objectName().toStdString();
        }
    }
    EXPECT_EQ(overlaps, 2);
}

// An entry of the port list: its text, its item data and its tooltip.
using ListedPort = std::tuple<QString, int, QString>;

std::vector<ListedPort> listedPorts(WindowRig& rig)
{
    auto& list = rig.control<QComboBox>("CmbBoxCom");
    std::vector<ListedPort> ports;
    for (int i = 0; i < list.count(); ++i)
        ports.push_back({list.itemText(i), list.itemData(i).toInt(), list.itemData(i, Qt::ToolTipRole).toString()});
    return ports;
}

// Ports 3, 5 and 7 open; 5 is held by another program and left out. Each entry
// names its device, a link with its target. Only the ports the system lists
// are tried.
TEST(PortProbe, ListsExactlyThePortsThatOpenAndSelectsTheFirst)
{
    PtyPair com3;
    PtyPair com5;
    PtyPair com7;
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
    const QString comTip = QStringLiteral("Select RS 232 serial line connected to target.");
    EXPECT_EQ(rig.control<QComboBox>("CmbBoxCom").toolTip(), comTip);
    EXPECT_FALSE(rig.port.isOpen());

    // A port the system does not list is not tried, although it would open.
    WindowRig unlisted({{3, com3.slavePath()}, {7, link}}, false, [](int number) { return number != 3; });
    unlisted.window.Form_Load();
    EXPECT_EQ(listedPorts(unlisted), (std::vector<ListedPort>{{"Com7", 7, com7Tip}}));

    // An empty list selects nothing, and its tooltip says why below its own line.
    WindowRig none({});
    none.window.Form_Load();
    EXPECT_EQ(none.control<QComboBox>("CmbBoxCom").currentIndex(), -1);
    EXPECT_EQ(none.control<QComboBox>("CmbBoxCom").toolTip(),
              comTip + QLatin1Char('\n') + korvel::platform::whyNoPortOpens(none.port.portMap()));
}

// A FLASH name too short ends the download before the port opens; nothing
// ticked, after the handshake (which shows the version). Either way the
// message comes under the window's caption, the window is idle with the port
// closed, and the FLASH browse button has the focus.
TEST(Download, EndingWithoutAFileLeavesTheFocusOnBrowse)
{
    for (const QString flashPath : {"x", ""}) {
        SCOPED_TRACE(flashPath.toStdString());
        TargetSim target({QStringLiteral("--version"), QStringLiteral("1.3")});
        WindowRig rig({{3, target.device()}});
        ASSERT_TRUE(rig.loadAndShow());
        rig.choose(flashPath, QString());
        BoxAnswerer answerer;
        rig.window.DownloadFiles();

        ASSERT_EQ(answerer.texts(),
                  QStringList{flashPath.isEmpty() ? "Check box to download code." : "Select FLASH file to download."});
        EXPECT_EQ(answerer.seen()[0].title, rig.window.caption());
        EXPECT_EQ(rig.control<QLabel>("LblFwVer").text(),
                  flashPath.isEmpty() ? "Target Bootloader Ver. 1.3" : "Target Bootloader Ver.");
        EXPECT_TRUE(rig.isIdle());
        EXPECT_EQ(rig.window.focusWidget(), &rig.control<QPushButton>("CmdBtnFLASH"));
        EXPECT_FALSE(rig.port.isOpen());
    }
}

// Closing the window while synchronising, or while a line waits for its answer
// (from 1.28 on that would end in a question), stops the download at once,
// without a message, and closes the port.
TEST(ClosingTheWindow, StopsTheDownloadFirst)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("app.hex"));
    ASSERT_TRUE(writeFile(path, ":0100000000FF\r\n:00000001FF\r\n"));
    for (const QString status : {"Please synchronize devices, power on or reset target...", "Sending FLASH file"}) {
        SCOPED_TRACE(status.toStdString());
        const bool transfer = status.startsWith(QStringLiteral("Sending"));
        TargetSim target(transfer ? QStringList{"--silent-line", "1"} : QStringList{"--silent"});
        WindowRig rig({{3, target.device()}});
        ASSERT_TRUE(rig.loadAndShow());
        rig.choose(transfer ? path : QString(), QString());
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (rig.control<QLabel>("LblExec").text().startsWith(status))
                rig.window.close();
        });
        closer.start(5);
        BoxAnswerer answerer(QMessageBox::Yes);
        rig.window.DownloadFiles();

        EXPECT_TRUE(answerer.seen().empty());
        EXPECT_FALSE(rig.port.isOpen());
        EXPECT_TRUE(rig.window.isHidden());
    }
}

}  // namespace
