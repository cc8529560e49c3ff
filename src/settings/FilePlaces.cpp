#include "settings/FilePlaces.h"

#include "settings/SettingsFile.h"
#include "system/UserFolders.h"

#include <QDir>
#include <QFileInfo>

namespace korvel::settings {

FilePlaces::FilePlaces(const QString& programDir) : programDir_(programDir), ownDir_(programDir)
{
    // Whether this user may really write there is the system's to say: root
    // may write anywhere, nobody on a read-only file system, and on Windows an
    // ordinary user not below Program Files whatever its attributes say.
    if (!system::folderTakesNewFiles(programDir.toUtf8().toStdString()))
        ownDir_ = QDir::fromNativeSeparators(QString::fromStdString(system::userFilesFolder()));
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
    const QString beside = QDir(programDir_).filePath(QLatin1String(name));
    return QFileInfo::exists(own) || !QFileInfo::exists(beside) ? own : beside;
}

}  // namespace korvel::settings
