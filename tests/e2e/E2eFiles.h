#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// The files of one end-to-end run in a temporary folder: HEX files made by
// korvel-hexgen with their raw bytes beside them, and the images the target
// simulator writes.
class E2eFiles {
public:
    QString path(const QString& name) const { return folder_.filePath(name); }
    QString settingsPath() const { return path(QStringLiteral("AVRBootloaderKorvel.cfg")); }

    // Writes `name`.hex and its data bytes as `name`.bin: `size` pseudo-random
    // bytes from address 0, `recordBytes` per record, lines ending in LF alone
    // or in CR LF. The HEX path, empty when korvel-hexgen failed.
    QString makeHex(const QString& name, int size, int seed, int recordBytes, bool lineFeedOnly) const;

    // The contents of a file, empty when it cannot be read.
    QByteArray contents(const QString& name) const;

private:
    QTemporaryDir folder_;
};
