#include "settings/FilePlaces.h"

#include "settings/SettingsFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace korvel::settings {

FilePlaces::FilePlaces(const QString& programDir) : programDir_(programDir), ownDir_(programDir)
{
    // QFileInfo asks the system whether this user may write there (access(2)
    // on POSIX), which mode bits alone do not tell: root may write anywhere,
    // nobody on a read-only file system.
    if (!QFileInfo(programDir).isWritable())
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
    const QString beside = QDir(programDir_).filePath(QLatin1String(name));
    return QFileInfo::exists(own) || !QFileInfo::exists(beside) ? own : beside;
}

}  // namespace korvel::settings
