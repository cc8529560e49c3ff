#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <gtest/gtest.h>

#include "BoxAnswerer.h"
#include "Pty.h"
#include "WindowRig.h"

namespace {

const QString kTitle = QStringLiteral("AVR Bootloader Korvel(r)");

struct Choices {
    int position;
    Qt::CheckState flash;
    QString flashFile;
    Qt::CheckState eeprom;
    QString eepromFile;
};

void expectChoices(WindowRig& rig, const Choices& expected)
{
    EXPECT_EQ(rig.control<QComboBox>("CmbBoxCom").currentIndex(), expected.position);
    EXPECT_EQ(rig.control<QCheckBox>("FLASHCheck").checkState(), expected.flash);
    EXPECT_EQ(rig.control<QLineEdit>("TxtBoxFLASHFile").text(), expected.flashFile);
    EXPECT_EQ(rig.control<QCheckBox>("EEPCheck").checkState(), expected.eeprom);
    EXPECT_EQ(rig.control<QLineEdit>("TxtBoxEEPFile").text(), expected.eepromFile);
}

// Two ports found (Com3 and Com7), or none.
struct SettingsRig {
    explicit SettingsRig(bool withPorts, bool cmdLineMode = false)
        : rig(withPorts ? std::map<int, std::string>{{3, com3.slavePath()}, {7, com7.slavePath()}}
                        : std::map<int, std::string>{},
              cmdLineMode)
    {
    }

    Pty com3;
    Pty com7;
    WindowRig rig;
};

struct StoredCase {
    const char* name;
    bool withPorts;
    QByteArray content;
    Choices applied;
};

const StoredCase kStored[] = {
    {"second port, greyed FLASH, comma and umlaut",
     true,
     "1\r\n2\r\n\"/hex/app,v2 \xC3\xA4.hex\"\r\n1\r\n\"/hex/data.hex\"\r\n",
     {1, Qt::PartiallyChecked, QStringLiteral("/hex/app,v2 \u00E4.hex"), Qt::Checked, QStringLiteral("/hex/data.hex")}},
    {"no port listed",
     false,
     "-1\r\n1\r\n\"/a.hex\"\r\n0\r\n\"\"\r\n",
     {-1, Qt::Checked, QStringLiteral("/a.hex"), Qt::Unchecked, QString()}},
};

TEST(MainWindowSettings, StoredValuesReachTheControlsAndAreWrittenBackOnUnload)
{
    for (const StoredCase& stored : kStored) {
        SCOPED_TRACE(stored.name);
        SettingsRig setup(stored.withPorts);
        WindowRig& rig = setup.rig;
        rig.writeSettings(stored.content);
        BoxAnswerer answerer;
        ASSERT_TRUE(rig.loadAndShow());
        expectChoices(rig, stored.applied);

        rig.window.close();
        EXPECT_EQ(rig.settingsContent(), stored.content);
        EXPECT_TRUE(answerer.seen().empty());
    }
}

TEST(MainWindowSettings, AnUnusableFileIsReportedAndTheDefaultsApply)
{
    const std::tuple<const char*, bool, const char*, int> cases[] = {
        {"missing file", true, nullptr, 0},
        {"a position with no port listed", false, "0\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n", -1},
    };
    for (const auto& [name, withPorts, content, defaultPosition] : cases) {
        SCOPED_TRACE(name);
        SettingsRig setup(withPorts);
        WindowRig& rig = setup.rig;
        if (content)
            rig.writeSettings(content);
        else
            ASSERT_TRUE(QFile::remove(rig.settingsPath()));
        rig.choose(QStringLiteral("/old/app.hex"), QStringLiteral("/old/data.hex"));

        BoxAnswerer answerer;
        ASSERT_TRUE(rig.loadAndShow());
        ASSERT_EQ(answerer.texts(),
                  QStringList{QStringLiteral("An error occured while loading file ") + rig.settingsPath() +
                              QStringLiteral(". The default settings will be loaded instead.")});
        EXPECT_EQ(answerer.seen()[0].title, kTitle);
        EXPECT_EQ(answerer.seen()[0].icon, QMessageBox::Warning);
        expectChoices(rig, {defaultPosition, Qt::Checked, QString(), Qt::Unchecked, QString()});
    }
}

TEST(MainWindowSettings, ACommandLineWindowLeavesTheFileAlone)
{
    SettingsRig setup(true, true);
    const QByteArray content = "1\r\n1\r\n\"/a.hex\"\r\n0\r\n\"\"\r\nfurther lines\r\n";
    setup.rig.writeSettings(content);
    BoxAnswerer answerer;
    ASSERT_TRUE(setup.rig.loadAndShow());
    setup.rig.window.close();
    EXPECT_EQ(setup.rig.settingsContent(), content);
    EXPECT_TRUE(answerer.seen().empty());
}

// A name the file cannot hold: the save is refused with its reason and the old
// file stays as it was.
TEST(MainWindowSettings, AFailedSaveIsReportedAndKeepsTheOldFile)
{
    SettingsRig setup(true);
    WindowRig& rig = setup.rig;
    const QByteArray old = rig.settingsContent();
    ASSERT_TRUE(rig.loadAndShow());
    rig.control<QLineEdit>("TxtBoxEEPFile").setText(QStringLiteral("/hex/\"odd\".hex"));
    BoxAnswerer answerer;
    rig.window.close();
    ASSERT_EQ(answerer.texts(),
              QStringList{QStringLiteral("An error occured while saving file ") + rig.settingsPath() +
                          "\nA file name contains a double quote, which the settings file cannot hold."});
    EXPECT_EQ(answerer.seen()[0].icon, QMessageBox::Warning);
    EXPECT_TRUE(rig.window.isHidden());
    EXPECT_EQ(rig.settingsContent(), old);
}

}  // namespace
