#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <gtest/gtest.h>

#include "MainWindowRig.h"
#include "PtyTarget.h"

namespace {

const QString kTitle = QStringLiteral("AVR Bootloader Korvel(r)");

struct Choices {
    int position;
    Qt::CheckState flash;
    QString flashFile;
    Qt::CheckState eeprom;
    QString eepromFile;
};

void expectChoices(MainWindowRig& rig, const Choices& expected)
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
        : rig(withPorts ? std::map<int, std::string>{{3, com3.devicePath()}, {7, com7.devicePath()}}
                        : std::map<int, std::string>{},
              cmdLineMode)
    {
    }

    PtyTarget com3;
    PtyTarget com7;
    MainWindowRig rig;
};

struct StoredCase {
    const char* name;
    bool withPorts;
    QByteArray content;
    Choices applied;
};

const StoredCase kStored[] = {
    {"second port, greyed FLASH, comma and umlaut", true,
     "1\r\n2\r\n\"/hex/app,v2 \xC3\xA4.hex\"\r\n1\r\n\"/hex/data.hex\"\r\n",
     {1, Qt::PartiallyChecked, QStringLiteral("/hex/app,v2 \u00E4.hex"), Qt::Checked, QStringLiteral("/hex/data.hex")}},
    {"no selection, greyed EEPROM", true, "-1\r\n0\r\n\"\"\r\n2\r\n\"\"\r\n",
     {-1, Qt::Unchecked, QString(), Qt::PartiallyChecked, QString()}},
    {"no port listed", false, "-1\r\n1\r\n\"/a.hex\"\r\n0\r\n\"\"\r\n",
     {-1, Qt::Checked, QStringLiteral("/a.hex"), Qt::Unchecked, QString()}},
};

TEST(MainWindowSettings, StoredValuesReachTheControlsAndAreWrittenBackOnUnload)
{
    for (const StoredCase& stored : kStored) {
        SCOPED_TRACE(stored.name);
        SettingsRig setup(stored.withPorts);
        MainWindowRig& rig = setup.rig;
        rig.writeSettings(stored.content);
        MessageBoxAnswerer answerer;
        ASSERT_TRUE(loadAndShow(rig));
        expectChoices(rig, stored.applied);

        rig.window.close();
        EXPECT_EQ(rig.settingsContent(), stored.content);
        EXPECT_TRUE(answerer.seen().empty());
    }
}

TEST(MainWindowSettings, AGreyedBoxIsTickedByAClickNeverGreyedAgainAndSavedAsTicked)
{
    SettingsRig setup(true);
    setup.rig.writeSettings("0\r\n2\r\n\"\"\r\n0\r\n\"\"\r\n");
    ASSERT_TRUE(loadAndShow(setup.rig));
    auto& box = setup.rig.control<QCheckBox>("FLASHCheck");
    std::vector<Qt::CheckState> states;
    for (int click = 0; click < 3; ++click) {
        box.click();
        states.push_back(box.checkState());
    }
    EXPECT_EQ(states, (std::vector<Qt::CheckState>{Qt::Checked, Qt::Unchecked, Qt::Checked}));
    setup.rig.window.close();
    EXPECT_EQ(setup.rig.settingsContent(), QByteArray("0\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n"));
}

struct BrokenCase {
    const char* name;
    bool withPorts;
    const char* content;  // none: no file at all
    int defaultPosition;
};

const BrokenCase kBroken[] = {
    {"missing file", true, nullptr, 0},
    {"position beyond the list", true, "2\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n", 0},
    {"a position with no port listed", false, "0\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n", -1},
};

TEST(MainWindowSettings, AnUnusableFileIsReportedAndTheDefaultsApply)
{
    for (const BrokenCase& broken : kBroken) {
        SCOPED_TRACE(broken.name);
        SettingsRig setup(broken.withPorts);
        MainWindowRig& rig = setup.rig;
        if (broken.content)
            rig.writeSettings(broken.content);
        else
            ASSERT_TRUE(QFile::remove(rig.settingsPath()));
        rig.control<QCheckBox>("FLASHCheck").setChecked(false);
        rig.control<QLineEdit>("TxtBoxFLASHFile").setText(QStringLiteral("/old/app.hex"));
        rig.control<QCheckBox>("EEPCheck").setChecked(true);
        rig.control<QLineEdit>("TxtBoxEEPFile").setText(QStringLiteral("/old/data.hex"));

        MessageBoxAnswerer answerer;
        ASSERT_TRUE(loadAndShow(rig));
        ASSERT_EQ(answerer.seen().size(), 1u);
        EXPECT_EQ(answerer.seen()[0].text, QStringLiteral("An error occured while loading file ") + rig.settingsPath()
                                               + QStringLiteral(". The default settings will be loaded instead."));
        EXPECT_EQ(answerer.seen()[0].title, kTitle);
        EXPECT_EQ(answerer.seen()[0].icon, QMessageBox::Warning);
        expectChoices(rig, {broken.defaultPosition, Qt::Checked, QString(), Qt::Unchecked, QString()});
    }
}

TEST(MainWindowSettings, ACommandLineWindowLeavesTheFileAlone)
{
    SettingsRig setup(true, true);
    const QByteArray content = "1\r\n1\r\n\"/a.hex\"\r\n0\r\n\"\"\r\nfurther lines\r\n";
    setup.rig.writeSettings(content);
    MessageBoxAnswerer answerer;
    ASSERT_TRUE(loadAndShow(setup.rig));
    setup.rig.window.close();
    EXPECT_EQ(setup.rig.settingsContent(), content);
    EXPECT_TRUE(answerer.seen().empty());
}

enum class SaveObstacle { QuoteInName, DirectoryInPlace, FolderGone };

struct FailedSaveCase {
    const char* name;
    SaveObstacle obstacle;
    QString reason;
};

const FailedSaveCase kFailedSaves[] = {
    {"a double quote in a file name", SaveObstacle::QuoteInName,
     QStringLiteral("A file name contains a double quote, which the settings file cannot hold.")},
    {"a directory in the file's place", SaveObstacle::DirectoryInPlace,
     QStringLiteral("Filename refers to a directory")},
    {"the program's folder is gone", SaveObstacle::FolderGone, QStringLiteral("No such file or directory")},
};

TEST(MainWindowSettings, AFailedSaveIsReportedWithItsReasonAndKeepsTheOldFile)
{
    for (const FailedSaveCase& failed : kFailedSaves) {
        SCOPED_TRACE(failed.name);
        SettingsRig setup(true);
        MainWindowRig& rig = setup.rig;
        const QByteArray old = rig.settingsContent();
        ASSERT_TRUE(loadAndShow(rig));
        switch (failed.obstacle) {
        case SaveObstacle::QuoteInName:
            rig.control<QLineEdit>("TxtBoxEEPFile").setText(QStringLiteral("/hex/\"odd\".hex"));
            break;
        case SaveObstacle::DirectoryInPlace:
            ASSERT_TRUE(QFile::remove(rig.settingsPath()));
            ASSERT_TRUE(QDir().mkdir(rig.settingsPath()));
            break;
        case SaveObstacle::FolderGone:
            ASSERT_TRUE(rig.programDir.remove());
            break;
        }

        MessageBoxAnswerer answerer;
        rig.window.close();
        ASSERT_EQ(answerer.seen().size(), 1u);
        EXPECT_EQ(answerer.seen()[0].text,
                  QStringLiteral("An error occured while saving file ") + rig.settingsPath() + "\n" + failed.reason);
        EXPECT_EQ(answerer.seen()[0].title, kTitle);
        EXPECT_EQ(answerer.seen()[0].icon, QMessageBox::Warning);
        EXPECT_TRUE(rig.window.isHidden());
        switch (failed.obstacle) {
        case SaveObstacle::QuoteInName:
            EXPECT_EQ(rig.settingsContent(), old);
            break;
        case SaveObstacle::DirectoryInPlace:
            EXPECT_TRUE(QFileInfo(rig.settingsPath()).isDir());
            break;
        case SaveObstacle::FolderGone:
            EXPECT_FALSE(QFileInfo::exists(QFileInfo(rig.settingsPath()).path()));
            break;
        }
    }
}

TEST(MainWindowSettings, WithoutASelectedPortTheDownloadOpensNoPort)
{
    for (const bool withPorts : {true, false}) {
        SCOPED_TRACE(withPorts ? "ports listed, none selected" : "no port listed");
        SettingsRig setup(withPorts);
        MainWindowRig& rig = setup.rig;
        rig.writeSettings("-1\r\n1\r\n\"/hex/app.hex\"\r\n0\r\n\"\"\r\n");
        ASSERT_TRUE(loadAndShow(rig));

        MessageBoxAnswerer answerer;
        rig.window.DownloadFiles();
        ASSERT_EQ(answerer.seen().size(), 1u);
        EXPECT_EQ(answerer.seen()[0].text, QStringLiteral("Error while accessing the com port."));
        EXPECT_EQ(answerer.seen()[0].icon, QMessageBox::Warning);
        QCoreApplication::processEvents();
        EXPECT_TRUE(setup.com3.received().empty());
        EXPECT_TRUE(setup.com7.received().empty());
    }
}

}  // namespace
