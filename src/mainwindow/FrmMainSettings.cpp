// The settings file seen from the main window: its five values are the port
// list position, the two check boxes and the two file name boxes.
#include <QCheckBox>
#include <QComboBox>

#include "base/ForeignText.h"
#include "mainwindow/FileNameBox.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/SettingsWarning.h"
#include "platform/Messages.h"
#include "platform/ProgramInfo.h"
#include "platform/SystemText.h"
#include "settings/SettingsFile.h"

namespace korvel::mainwindow {

namespace {

enum CheckValue { kUnticked = 0, kTicked = 1, kGreyed = 2 };

int checkValue(const QCheckBox& box)
{
    switch (box.checkState()) {
    case Qt::Checked:
        return kTicked;
    case Qt::PartiallyChecked:
        return kGreyed;
    case Qt::Unchecked:
        break;
    }
    return kUnticked;
}

void setCheckValue(QCheckBox& box, int value)
{
    box.setTristate(value == kGreyed);
    box.setCheckState(value == kGreyed ? Qt::PartiallyChecked : value == kTicked ? Qt::Checked : Qt::Unchecked);
}

// A file name as the messages show it: the folder the program runs from is
// named by whoever put it there.
QString shownName(const QString& fileName)
{
    return platform::foreignText(fileName);
}

void warn(QWidget* parent, const QString& text)
{
    platform::showBox(parent, platform::qtText(platform::kApplicationTitle), link::MessageKind::Warning, text);
}

}  // namespace

std::optional<QString> settingsLoadWarning(const settings::StoredSettings& file, const QString& fileName,
                                           bool cmdLineMode)
{
    if (file.values || (cmdLineMode && file.outcome == settings::StoredSettings::Outcome::Missing))
        return std::nullopt;
    return QStringLiteral("An error occured while loading file ") + shownName(fileName) +
           QStringLiteral(". The default settings will be loaded instead.");
}

void FrmMain::LoadSettings(const QString& fileName)
{
    const settings::StoredSettings file = settings::readSettingsFile(fileName, CmbBoxCom->count());
    if (const auto warning = settingsLoadWarning(file, fileName, CmdLineMode)) {
        if (settingsWarning_)
            settingsWarning_(*warning);
        else
            warn(this, *warning);
    }
    const auto& stored = file.values;
    if (!stored) {
        SetDefaultSettings();
        return;
    }
    CmbBoxCom->setCurrentIndex(stored->comListPosition);
    setCheckValue(*FLASHCheck, stored->flashCheck);
    TxtBoxFLASHFile->setText(QString::fromUtf8(stored->flashFile));
    setCheckValue(*EEPCheck, stored->eepromCheck);
    TxtBoxEEPFile->setText(QString::fromUtf8(stored->eepromFile));
}

void FrmMain::SetDefaultSettings()
{
    const settings::Settings defaults;
    // With no port listed there is nothing to select.
    CmbBoxCom->setCurrentIndex(CmbBoxCom->count() > 0 ? defaults.comListPosition : -1);
    setCheckValue(*FLASHCheck, defaults.flashCheck);
    TxtBoxFLASHFile->clear();
    setCheckValue(*EEPCheck, defaults.eepromCheck);
    TxtBoxEEPFile->clear();
}

void FrmMain::SaveSettings(const QString& fileName)
{
    if (CmdLineMode)
        return;
    settings::Settings current;
    current.comListPosition = CmbBoxCom->currentIndex();
    current.flashCheck = checkValue(*FLASHCheck);
    current.flashFile = TxtBoxFLASHFile->text().toUtf8();
    current.eepromCheck = checkValue(*EEPCheck);
    current.eepromFile = TxtBoxEEPFile->text().toUtf8();
    const auto saved = settings::writeSettingsFile(fileName, current);
    if (!saved)
        warn(this, QStringLiteral("An error occured while saving file ") + shownName(fileName) + QLatin1Char('\n') +
                       saved.failure);
}

}  // namespace korvel::mainwindow
