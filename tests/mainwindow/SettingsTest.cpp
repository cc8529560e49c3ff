#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <gtest/gtest.h>

#include "BoxAnswerer.h"
#include "Pty.h"
#include "WindowRig.h"

namespace {

// What the window shows: list position, FLASH box and file, EEPROM box and file.
using Choices = std::tuple<int, Qt::CheckState, QString, Qt::CheckState, QString>;

Choices choicesOf(WindowRig& rig)
{
    return {rig.control<QComboBox>("CmbBoxCom").currentIndex(), rig.control<QCheckBox>("FLASHCheck").checkState(),
            rig.control<QLineEdit>("TxtBoxFLASHFile").text(), rig.control<QCheckBox>("EEPCheck").checkState(),
            rig.control<QLineEdit>("TxtBoxEEPFile").text()};
}

// The stored values reach the controls and the unload writes them back; an
// unusable file is reported under the program's title and the defaults apply.
// A command-line window reads the file but leaves it as it was.
TEST(MainWindowSettings, AreLoadedOrReportedAndWrittenBackOnUnload)
{
    struct Row {
        const char* name;
        bool withPorts, cmdLineMode;
        QByteArray content;  // "<missing>": no file
        Choices shown;
        QByteArray written;  // empty: the content as it was; otherwise after a load warning
    };
    // clang-format off
    const Row rows[] = {
        {"second port, greyed FLASH, comma and umlaut", true, false,
         "1\r\n2\r\n\"/hex/app,v2 \xC3\xA4.hex\"\r\n1\r\n\"/hex/data.hex\"\r\n",
         {1, Qt::PartiallyChecked, "/hex/app,v2 \u00E4.hex", Qt::Checked, "/hex/data.hex"}, {}},
        {"no port listed", false, false, "-1\r\n1\r\n\"/a.hex\"\r\n0\r\n\"\"\r\n",
         {-1, Qt::Checked, "/a.hex", Qt::Unchecked, ""}, {}},
        {"command-line window", true, true, "1\r\n1\r\n\"/a.hex\"\r\n0\r\n\"\"\r\nfurther lines\r\n",
         {1, Qt::Checked, "/a.hex", Qt::Unchecked, ""}, {}},
        {"missing file", true, false, "<missing>",
         {0, Qt::Checked, "", Qt::Unchecked, ""}, "0\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n"},
        {"a position with no port listed", false, false, "0\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n",
         {-1, Qt::Checked, "", Qt::Unchecked, ""}, "-1\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n"},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Pty line;  // serves both ports in turn
        WindowRig rig(row.withPorts ? std::map<int, std::string>{{3, line.slavePath()}, {7, line.slavePath()}}
                                    : std::map<int, std::string>{},
                      row.cmdLineMode);
        if (row.content == "<missing>")
            QFile::remove(rig.settingsPath());
        else
            writeFile(rig.settingsPath(), row.content);
        rig.choose(QStringLiteral("/old/app.hex"), QStringLiteral("/old/data.hex"));

        BoxAnswerer answerer;
        ASSERT_TRUE(rig.loadAndShow());
        EXPECT_EQ(choicesOf(rig), row.shown);
        rig.window.close();
        EXPECT_EQ(rig.settingsContent(), row.written.isEmpty() ? row.content : row.written);
        if (row.written.isEmpty()) {
            EXPECT_TRUE(answerer.seen().empty());
            continue;
        }
        ASSERT_EQ(answerer.texts(),
                  QStringList{QStringLiteral("An error occured while loading file ") + rig.settingsPath() +
                              QStringLiteral(". The default settings will be loaded instead.")});
        EXPECT_EQ(answerer.seen()[0].title, QStringLiteral("AVR Bootloader Korvel(r)"));
        EXPECT_EQ(answerer.seen()[0].icon, QMessageBox::Warning);
    }
}

// A name the file cannot hold: the save is refused with its reason and the old
// file stays as it was.
TEST(MainWindowSettings, AFailedSaveIsReportedAndKeepsTheOldFile)
{
    Pty line;
    WindowRig rig({{3, line.slavePath()}});
    const QByteArray old = rig.settingsContent();
    ASSERT_TRUE(rig.loadAndShow());
    rig.control<QLineEdit>("TxtBoxEEPFile").setText(QStringLiteral("/hex/\"odd\".hex"));
    BoxAnswerer answerer;
    rig.window.close();
    EXPECT_EQ(answerer.texts(),
              QStringList{QStringLiteral("An error occured while saving file ") + rig.settingsPath() +
                          "\nA file name contains a double quote, which the settings file cannot hold."});
    EXPECT_TRUE(rig.window.isHidden());
    EXPECT_EQ(rig.settingsContent(), old);
}

}  // namespace
