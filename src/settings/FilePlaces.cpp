#include "settings/FilePlaces.h"

#include "settings/SettingsFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace korvel::settings {

FilePlaces::FilePlaces(const QString& programDir)
    : programDir_(programDir)
    , kind_(programFolderKind(programDir))
    , ownDir_(programDir)
{
    if (kind_ != ProgramFolder::Own)
        ownDir_ = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                  QStringLiteral("/avrbootloaderkorvel");
}

SettingsPaths FilePlaces::settingsPaths() const
{
    return {toRead(kSettingsFileName), QDir(ownDir_).filePath(QLatin1String(kSettingsFileName))};
}

QString FilePlaces::portsPath() const
{
    return toRead(kPortsFileName);
}

QString FilePlaces::toRead(const char* name) const
{
    const QString own = QDir(ownDir_).filePath(QLatin1String(name));
    if (kind_ != ProgramFolder::Installed)
        return own;
    const QString beside = QDir(programDir_).filePath(QLatin1String(name));
    return QFileInfo::exists(own) || !QFileInfo::exists(beside) ? own : beside;
}

}  // namespace korvel::settings
