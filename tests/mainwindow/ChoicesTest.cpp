// The user's choices: files dropped or browsed for, and the settings file that
// keeps the port, the boxes and the file names from one run to the next.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

#include "BoxAnswerer.h"
#include "PtyPair.h"
#include "Tools.h"
#include "WindowRig.h"

namespace {

// Dropping files on a box, with Shift held, which proposes a move: the box
// takes them as a copy, so that the source keeps its files, and ends up with
// the last; the check boxes and the other box stay as they were.
TEST(FileChoice, DroppedFilesLeaveTheLastInTheBoxAsACopy)
{
    WindowRig rig({});
    ASSERT_TRUE(rig.loadAndShow());
    auto& box = rig.control<QLineEdit>("TxtBoxEEPFile");
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/hex/one.hex"), QUrl::fromLocalFile("/hex/two.hex"),
                   QUrl::fromLocalFile("/hex/three.hex")});
    // File managers offer the names as text as well.
    files.setText(QStringLiteral("/hex/one.hex /hex/two.hex /hex/three.hex"));
    const QPoint middle = box.rect().center();
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(middle, offered, &files, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(&box, &enter);
    QDropEvent drop(middle, offered, &files, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(&box, &drop);

    EXPECT_TRUE(enter.isAccepted());
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    EXPECT_EQ(box.text(), QStringLiteral("/hex/three.hex"));
    EXPECT_EQ(rig.control<QCheckBox>("EEPCheck").checkState(), Qt::Unchecked);
    EXPECT_EQ(rig.control<QLineEdit>("TxtBoxFLASHFile").text(), QString());
}

// Clicks `button` and lets `use` work the file dialog it opens; false when none opened.
template <typename Use> bool browse(QPushButton& button, const Use& use)
{
    bool opened = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QFileDialog*>(window);
            if (dialog && dialog->isVisible()) {
                opened = true;
                use(*dialog);
                if (dialog->isVisible())
                    dialog->reject();
            }
        }
    });
    button.click();
    return opened;
}

// Each browse button sets its title and the two filters, Hex Files first; the
// file chosen for FLASH is offered again for EEPROM.
TEST(FileChoice, BrowsingFillsTheBoxAndOffersTheLastFileChosen)
{
    WindowRig rig({});
    ASSERT_TRUE(rig.loadAndShow());
    QTemporaryDir folder;
    const QString app = folder.filePath(QStringLiteral("app.hex"));
    ASSERT_TRUE(writeFile(app, ":00000001FF\r\n"));
    const QStringList filters = {QStringLiteral("Hex Files (*.hex)"), QStringLiteral("All Files (*.*)")};
    ASSERT_TRUE(browse(rig.control<QPushButton>("CmdBtnFLASH"), [&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Select File to download on FLASH"));
        EXPECT_EQ(dialog.nameFilters(), filters);
        EXPECT_EQ(dialog.selectedNameFilter(), filters[0]);
        dialog.selectNameFilter(filters[1]);
        dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(app);
        static_cast<QDialog&>(dialog).accept();  // what the Open button does
    }));
    EXPECT_EQ(rig.control<QLineEdit>("TxtBoxFLASHFile").text(), app);

    ASSERT_TRUE(browse(rig.control<QPushButton>("CmdBtnEEP"), [&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Select EEPROM file to download"));
        EXPECT_EQ(dialog.selectedNameFilter(), filters[0]);
        static_cast<QDialog&>(dialog).accept();
    }));
    EXPECT_EQ(rig.control<QLineEdit>("TxtBoxEEPFile").text(), app);
}

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
        QByteArray content;
        Choices shown;
        QByteArray written;  // empty: the content as it was; otherwise after a load warning
    };
    // clang-format off
    const Row rows[] = {
        {"second port, greyed FLASH, comma and umlaut", true, false,
         "1\r\n2\r\n\"/hex/app,v2 \xC3\xA4.hex\"\r\n1\r\n\"/hex/data.hex\"\r\n",
         {1, Qt::PartiallyChecked, "/hex/app,v2 \u00E4.hex", Qt::Checked, "/hex/data.hex"}, {}},
        {"command-line window, no selection", true, true, "-1\r\n1\r\n\"/a.hex\"\r\n0\r\n\"\"\r\nmore\r\n",
         {-1, Qt::Checked, "/a.hex", Qt::Unchecked, ""}, {}},
        {"a check value that is no number", true, false, "1\r\nx\r\n\"\"\r\n0\r\n\"\"\r\n",
         {0, Qt::Checked, "", Qt::Unchecked, ""}, "0\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n"},
        {"a position with no port listed", false, false, "0\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n",
         {-1, Qt::Checked, "", Qt::Unchecked, ""}, "-1\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n"},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PtyPair line;  // serves both ports in turn
        WindowRig rig(row.withPorts ? std::map<int, std::string>{{3, line.slavePath()}, {7, line.slavePath()}}
                                    : std::map<int, std::string>{},
                      row.cmdLineMode);
        writeFile(rig.settingsPath(), row.content);
        rig.choose(QStringLiteral("/old/app.hex"), QStringLiteral("/old/data.hex"));

        BoxAnswerer answerer;
        ASSERT_TRUE(rig.loadAndShow());
        EXPECT_EQ(choicesOf(rig), row.shown);
        rig.window.close();
        EXPECT_EQ(rig.settingsContent(), row.written.isEmpty() ? row.content : row.written);
        const QString warning = QStringLiteral("An error occured while loading file ") + rig.settingsPath() +
                                QStringLiteral(". The default settings will be loaded instead.");
        EXPECT_EQ(answerer.texts(), row.written.isEmpty() ? QStringList() : QStringList{warning});
        for (const SeenBox& box : answerer.seen()) {
            EXPECT_EQ(box.title, QStringLiteral("AVR Bootloader Korvel(r)"));
            EXPECT_EQ(box.icon, QMessageBox::Warning);
        }
    }
}

// A name the file cannot hold: the save is refused with its reason and the old
// file stays as it was.
TEST(MainWindowSettings, AFailedSaveIsReportedAndKeepsTheOldFile)
{
    WindowRig rig({});
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
