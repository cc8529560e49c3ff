#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <gtest/gtest.h>

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
bool browse(QPushButton& button, const std::function<void(QFileDialog&)>& use)
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

}  // namespace
