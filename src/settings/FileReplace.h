#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace korvel::settings {

// Puts `content` in the place of the file at `path` as a whole: it goes to a
// new file in the same folder, which takes the old file's place only once it
// is completely written, so the old file stays as it was on any failure, and
// the new file is removed again. A symbolic link at `path` is followed only
// when it belongs to this user; another user's link, a folder, a FIFO or a
// device there is left alone. Returns why nothing was written, or nothing.
// One implementation per system (FileReplacePosix.cpp, FileReplaceWindows.cpp).
std::optional<QString> replaceFile(const QString& path, const QByteArray& content);

}  // namespace korvel::settings
