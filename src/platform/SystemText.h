#pragma once

#include <QByteArray>
#include <QString>

#include <string>
#include <string_view>

#include "base/ForeignText.h"

// The program keeps its texts in std::string as UTF-8: the link, the
// arguments and the messages. Qt keeps QString. Text crosses between them
// here, so that one text is never decoded two ways on its way to the user.
// Two crossings stand elsewhere: the settings values, the file's UTF-8
// bytes, cross with QString::fromUtf8 and toUtf8 (the same conversion), and a
// file name handed to a POSIX call through Qt's file classes crosses with
// QFile::encodeName and decodeName, the system's own encoding for names.
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

// Text that did not come from this program (a file name, a process name, a
// device's description), for a window or another Qt call, with its control
// characters written out.
inline QString foreignText(std::string_view utf8)
{
    return qtText(escapedForeign(utf8));
}
inline QString foreignText(const QString& text)
{
    return foreignText(programText(text));
}

// A file name as the system layer's calls take it: UTF-8 on every system (on
// Windows they hand it on to the system's wide functions).
inline std::string systemPath(const QString& path)
{
    return programText(path);
}

}  // namespace korvel::platform
