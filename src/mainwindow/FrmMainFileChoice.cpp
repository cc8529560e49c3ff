// Choosing the two HEX files: the browse dialog and files dropped on the boxes.
#include <QFileDialog>

#include "mainwindow/FileNameBox.h"
#include "mainwindow/FrmMain.h"

namespace korvel::mainwindow {

namespace {

// The longest file name the dialog hands back.
constexpr int kLongestFileName = 260;

const QStringList kHexFilters = {QStringLiteral("Hex Files (*.hex)"), QStringLiteral("All Files (*.*)")};

}  // namespace

void FrmMain::CmdBtnFLASH_Click()
{
    browseFor(*TxtBoxFLASHFile, QStringLiteral("Select File to download on FLASH"));
}

void FrmMain::CmdBtnEEP_Click()
{
    browseFor(*TxtBoxEEPFile, QStringLiteral("Select EEPROM file to download"));
}

QFileDialog& FrmMain::browseDialog()
{
    if (!BrowseDialog) {
        // Qt's own dialog looks and behaves the same on every desktop.
        BrowseDialog = new QFileDialog(this);
        BrowseDialog->setOption(QFileDialog::DontUseNativeDialog);
        BrowseDialog->setAcceptMode(QFileDialog::AcceptOpen);
        BrowseDialog->setFileMode(QFileDialog::ExistingFile);
        BrowseDialog->setDefaultSuffix(QStringLiteral("hex"));
    }
    return *BrowseDialog;
}

// A cancelled dialog or a name that is too long leaves the box as it was.
void FrmMain::browseFor(QLineEdit& box, const QString& title)
{
    QFileDialog& dialog = browseDialog();
    dialog.setWindowTitle(title);
    // Selects the first filter.
    dialog.setNameFilters(kHexFilters);
    dialog.selectFile(browseFileName_);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.size() != 1 || chosen.first().size() > kLongestFileName)
        return;
    browseFileName_ = chosen.first();
    box.setText(browseFileName_);
}

// With several files dropped the box ends up holding the last one.
void FrmMain::TxtBoxFLASHFile_OLEDragDrop(const QStringList& files)
{
    for (const QString& path : files)
        TxtBoxFLASHFile->setText(path);
}

void FrmMain::TxtBoxEEPFile_OLEDragDrop(const QStringList& files)
{
    for (const QString& path : files)
        TxtBoxEEPFile->setText(path);
}

}  // namespace korvel::mainwindow
