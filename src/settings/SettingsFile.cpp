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

StoredSettings readSettingsFile(const QString& path, int portCount)
{
    const SmallFile file = readSmallFile(path, kLargestSettingsFile);
    if (file.outcome == SmallFile::Outcome::Missing)
        return {};
    auto values = file.outcome == SmallFile::Outcome::Read ? parseSettings(file.content, portCount) : std::nullopt;
    const auto outcome = values ? StoredSettings::Outcome::Read : StoredSettings::Outcome::Unusable;
    return {outcome, std::move(values)};
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
    if (const auto reason = replaceFile(path, *content))
        return {false, *reason};
    return {true, QString()};
}

}  // namespace korvel::settings
