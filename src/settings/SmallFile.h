#pragma once

#include <QByteArray>
#include <QString>

namespace korvel::settings {

// A small file read whole: the settings file or the ports file.
struct SmallFile {
    enum class Outcome { Read, Missing, Refused };
    Outcome outcome = Outcome::Missing;
    QByteArray content;  // what was read
    QString reason;      // why it was refused, e.g. "it is not a regular file"

    static SmallFile refused(const QString& why) { return {Outcome::Refused, {}, why}; }
    static SmallFile notRegular() { return refused(QStringLiteral("it is not a regular file")); }
    static SmallFile tooLarge(qint64 largest)
    {
        return refused(QStringLiteral("it is larger than %1 bytes").arg(largest));
    }
};

// Reads the file at `path` whole without ever waiting. Only a regular file is
// read: a FIFO or a terminal (also behind a link) could keep a read waiting
// for ever, so it is refused, as is a directory, a file larger than `largest`
// bytes or one the system does not let us read. A path that names nothing is
// missing.
SmallFile readSmallFile(const QString& path, qint64 largest);

}  // namespace korvel::settings
