#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <string>
#include <string_view>

// The program keeps its texts in std::string as UTF-8: the link, the
// arguments, the settings values and the messages. Qt keeps QString, and the
// system names files in its own encoding. These are the only crossings, so
// that one text is never decoded two ways on its way to the user.
namespace korvel::platform {

// A text of the program, for a window or another Qt call.
inline QString qtText(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

// A Qt text as the program keeps it, and as the terminal receives it.
inline std::string programText(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

// A file name as the system's calls take it.
inline std::string systemPath(const QString& path)
{
    const QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

}  // namespace korvel::platform
