#include "settings/SettingsFile.h"

#include "settings/FileReplace.h"
#include "settings/SmallFile.h"

#include <QDir>
#include <QFileInfo>

namespace korvel::settings {

namespace {

// Two file paths and three small numbers fit many times over.
constexpr qint64 kLargestSettingsFile = 64 * 1024;

}  // namespace

std::optional<Settings> readSettingsFile(const QString& path, int portCount)
{
    const SmallFile file = readSmallFile(path, kLargestSettingsFile);
    if (file.outcome != SmallFile::Outcome::Read)
        return std::nullopt;
    return parseSettings(file.content, portCount);
}

WriteResult writeSettingsFile(const QString& path, const Settings& settings)
{
    const auto content = formatSettings(settings);
    if (!content)
        return {false, QStringLiteral("A file name contains a double quote, which the settings file cannot hold.")};
    // The user's own settings folder does not exist before the first save.
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return {false, QStringLiteral("The folder %1 cannot be created.").arg(folder)};
    if (const auto failure = replaceFile(path, *content))
        return {false, *failure};
    return {true, QString()};
}

}  // namespace korvel::settings
