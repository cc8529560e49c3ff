#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
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

const QString kHexFilter = QStringLiteral("Hex Files (*.hex)");
const QStringList kFilters = {kHexFilter, QStringLiteral("All Files (*.*)")};

// Types `path` as the file name and confirms it.
void choose(QFileDialog& dialog, const QString& path)
{
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(path);
    static_cast<QDialog&>(dialog).accept();  // what the Open button does
}

class FileChoice : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(rig.loadAndShow()); }

    QLineEdit& box(const char* name) { return rig.control<QLineEdit>(name); }

    // Clicks a browse button and lets `use` work the dialog it opens.
    // False when no file dialog opened.
    bool browse(const char* button, std::function<void(QFileDialog&)> use)
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
        rig.control<QPushButton>(button).click();
        return opened;
    }

    QTemporaryDir folder;
    WindowRig rig{{}};
};

// Sends a whole drag and drop of `data` to `target`, with Shift held, which
// proposes a move; true when the target accepted the drag on entering.
bool dragAndDrop(QWidget& target, const QMimeData& data, Qt::DropActions offered, Qt::DropAction* performed)
{
    const QPoint middle = target.rect().center();
    QDragEnterEvent enter(middle, offered, &data, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(&target, &enter);
    QDropEvent drop(middle, offered, &data, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(&target, &drop);
    *performed = drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    return enter.isAccepted();
}

TEST_F(FileChoice, DroppedFilesLeaveTheLastInTheBoxAsACopy)
{
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/hex/one.hex"), QUrl::fromLocalFile("/hex/two.hex"),
                   QUrl::fromLocalFile("/hex/three.hex")});
    // File managers offer the names as text as well.
    files.setText(QStringLiteral("/hex/one.hex /hex/two.hex /hex/three.hex"));
    Qt::DropAction performed;
    EXPECT_TRUE(dragAndDrop(box("TxtBoxEEPFile"), files, Qt::CopyAction | Qt::MoveAction, &performed));
    EXPECT_EQ(performed, Qt::CopyAction);
    EXPECT_EQ(box("TxtBoxEEPFile").text(), QStringLiteral("/hex/three.hex"));
    EXPECT_EQ(rig.control<QCheckBox>("EEPCheck").checkState(), Qt::Unchecked);
    EXPECT_EQ(box("TxtBoxFLASHFile").text(), QString());
}

TEST_F(FileChoice, BrowsingFillsTheBox)
{
    const QString app = folder.filePath(QStringLiteral("app.hex"));
    ASSERT_TRUE(writeFile(app, ":00000001FF\r\n"));
    ASSERT_TRUE(browse("CmdBtnFLASH", [&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Select File to download on FLASH"));
        EXPECT_EQ(dialog.nameFilters(), kFilters);
        EXPECT_EQ(dialog.selectedNameFilter(), kHexFilter);
        EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("hex"));
        dialog.selectNameFilter(kFilters[1]);
        choose(dialog, app);
    }));
    EXPECT_EQ(box("TxtBoxFLASHFile").text(), app);
}

}  // namespace
