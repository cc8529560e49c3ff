#include <QComboBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

#include "MainWindowRig.h"
#include "PtyTarget.h"

namespace {

struct ListedPort {
    QString text;
    int data;
    bool operator==(const ListedPort& other) const { return text == other.text && data == other.data; }
};

std::vector<ListedPort> listedPorts(MainWindowRig& rig)
{
    auto& list = rig.control<QComboBox>("CmbBoxCom");
    std::vector<ListedPort> ports;
    for (int i = 0; i < list.count(); ++i)
        ports.push_back({list.itemText(i), list.itemData(i).toInt()});
    return ports;
}

TEST(PortProbe, ListsExactlyThePortsThatOpenAndSelectsTheFirst)
{
    PtyTarget com3;
    PtyTarget com7;
    MainWindowRig rig({{3, com3.devicePath()}, {7, com7.devicePath()}}, false);
    rig.window.Form_Load();
    EXPECT_EQ(listedPorts(rig), (std::vector<ListedPort>{{"Com3", 3}, {"Com7", 7}}));
    EXPECT_EQ(rig.control<QComboBox>("CmbBoxCom").currentIndex(), 0);
    EXPECT_FALSE(rig.port.isOpen());
}

TEST(PortProbe, EachEntryNamesItsDeviceAndTheListKeepsItsOwnTooltip)
{
    PtyTarget com3;
    PtyTarget com7;
    QTemporaryDir links;
    const std::string link = links.filePath(QStringLiteral("usb-adapter-port0")).toStdString();
    ASSERT_EQ(::symlink(com7.devicePath().c_str(), link.c_str()), 0);
    MainWindowRig rig({{3, com3.devicePath()}, {7, link}}, false);
    rig.window.Form_Load();

    auto& list = rig.control<QComboBox>("CmbBoxCom");
    EXPECT_EQ(listedPorts(rig), (std::vector<ListedPort>{{"Com3", 3}, {"Com7", 7}}));
    EXPECT_EQ(list.itemData(0, Qt::ToolTipRole).toString(), QString::fromStdString(com3.devicePath()));
    EXPECT_EQ(list.itemData(1, Qt::ToolTipRole).toString(),
              QString::fromStdString(link + " (" + com7.devicePath() + ")"));
    EXPECT_EQ(list.toolTip(), QStringLiteral("Select RS 232 serial line connected to target."));
}

TEST(PortProbe, LeavesOutAPortHeldOpenElsewhere)
{
    PtyTarget com3;
    PtyTarget com7;
    korvel::platform::DeviceSerialPort otherProgram(korvel::platform::PortMap::fromText(portsText({{7, com7.devicePath()}})));
    otherProgram.setPortNumber(7);
    otherProgram.open();
    MainWindowRig rig({{3, com3.devicePath()}, {7, com7.devicePath()}}, false);
    rig.window.Form_Load();
    EXPECT_EQ(listedPorts(rig), (std::vector<ListedPort>{{"Com3", 3}}));
}

TEST(PortProbe, WithoutAnyPortTheListHasNoSelection)
{
    MainWindowRig rig({}, false);
    rig.window.Form_Load();
    EXPECT_TRUE(listedPorts(rig).empty());
    EXPECT_EQ(rig.control<QComboBox>("CmbBoxCom").currentIndex(), -1);
}

TEST(PortProbe, RestoresThePortNumberAndOpenState)
{
    PtyTarget com3;
    PtyTarget com7;
    MainWindowRig rig({{3, com3.devicePath()}, {7, com7.devicePath()}}, false);
    rig.port.setPortNumber(3);
    rig.port.open();

    EXPECT_TRUE(rig.window.CheckCom(7));
    EXPECT_FALSE(rig.window.CheckCom(5));
    EXPECT_EQ(rig.port.portNumber(), 3);
    EXPECT_TRUE(rig.port.isOpen());

    rig.port.close();
    EXPECT_TRUE(rig.window.CheckCom(3));
    EXPECT_FALSE(rig.port.isOpen());
}

}  // namespace
