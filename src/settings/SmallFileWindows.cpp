#include "settings/SmallFile.h"

#include <QFile>
#include <QFileInfo>

namespace korvel::settings {

// Windows keeps no FIFOs or terminals among the files of a folder, so a check
// of the path before opening it suffices.
SmallFile readSmallFile(const QString& path, qint64 largest)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    if (!info.isFile())
        return SmallFile::notRegular();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return SmallFile::refused(file.errorString());
    const QByteArray content = file.read(largest + 1);
    if (file.error() != QFileDevice::NoError)
        return SmallFile::refused(file.errorString());
    if (content.size() > largest)
        return SmallFile::tooLarge(largest);
    return {SmallFile::Outcome::Read, content, {}};
}

}  // namespace korvel::settings
