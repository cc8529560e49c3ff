// Replacing a small file on Windows, through QSaveFile.
#include "settings/FileReplace.h"

#include <QSaveFile>

namespace korvel::settings {

std::optional<QString> replaceFile(const QString& path, const QByteArray& content)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // A short write can go unnoticed by commit() when it happens while the
    // buffer is flushed on closing, so flush here and check. Leaving without
    // commit() discards the temporary file.
    if (file.write(content) != content.size() || !file.flush() || !file.commit())
        return file.errorString();
    return std::nullopt;
}

}  // namespace korvel::settings
