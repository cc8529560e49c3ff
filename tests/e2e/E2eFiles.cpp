#include "E2eFiles.h"

#include <QFile>

#include "TargetSim.h"

QString E2eFiles::makeHex(const QString& name, int size, int seed, int recordBytes, bool lineFeedOnly) const
{
    const QString hexPath = path(name + QStringLiteral(".hex"));
    QStringList arguments{QStringLiteral("--size"),         QString::number(size),
                          QStringLiteral("--seed"),         QString::number(seed),
                          QStringLiteral("--record-bytes"), QString::number(recordBytes),
                          hexPath,                          QStringLiteral("--bin"),
                          path(name + QStringLiteral(".bin"))};
    if (lineFeedOnly)
        arguments << QStringLiteral("--lf");
    return runHexgen(arguments) ? hexPath : QString();
}

QByteArray E2eFiles::contents(const QString& name) const
{
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
