#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <sstream>

#include "Tools.h"
#include "startup/TerminalReport.h"

// A program directory whose ports name no real device unless port 1 is
// mapped, with a settings file that is valid whatever ports are listed.
class ProgramDir {
public:
    explicit ProgramDir(bool withSettings = true)
    {
        mapPort1(QFile::encodeName(dir_.path()) + "/no-tty");
        if (withSettings)
            writeFile(settingsPath(), kSettings);
    }

    void mapPort1(const QByteArray& device) const
    {
        QByteArray ports = "COM1=" + device + "\n";
        for (int number = 2; number <= 16; ++number)
            ports += "COM" + QByteArray::number(number) + "=" + QFile::encodeName(dir_.path()) + "/no-tty\n";
        writeFile(dir_.filePath(QStringLiteral("AVRBootloaderKorvel.ports")), ports);
    }

    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }
    QString settingsPath() const { return filePath(QStringLiteral("AVRBootloaderKorvel.cfg")); }
    QByteArray settingsContent() const { return fileContents(settingsPath()); }

    static inline const QByteArray kSettings = "-1\r\n1\r\n\"/tmp/app.hex\"\r\n0\r\n\"\"\r\n";

private:
    QTemporaryDir dir_;
};

// The standard streams of one run, in memory; the input is empty.
struct MemoryTerminal {
    korvel::startup::TerminalReport::Streams streams() { return {out, err, in, false, false}; }

    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in;
};
