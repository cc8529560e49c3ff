#include "TargetSim.h"

#include <QDeadlineTimer>

namespace {

const int kStartLimitMs = 5000;
const int kHexgenLimitMs = 10000;

}  // namespace

TargetSim::TargetSim(const QStringList& options)
{
    process_.start(QStringLiteral(KORVEL_TARGETSIM_PATH), options);
    const QDeadlineTimer deadline(kStartLimitMs);
    while (!process_.canReadLine() && !deadline.hasExpired()
           && process_.waitForReadyRead(int(deadline.remainingTime()))) {
    }
    if (process_.canReadLine())
        devicePath_ = process_.readLine().trimmed().toStdString();
}

TargetSim::~TargetSim()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(kStartLimitMs);
    }
}

std::optional<int> TargetSim::waitForExit(int ms)
{
    if (process_.state() != QProcess::NotRunning && !process_.waitForFinished(ms))
        return std::nullopt;
    if (process_.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return process_.exitCode();
}

QString TargetSim::errorOutput()
{
    errors_ += process_.readAllStandardError();
    return QString::fromLocal8Bit(errors_);
}

bool runHexgen(const QStringList& arguments)
{
    QProcess hexgen;
    hexgen.start(QStringLiteral(KORVEL_HEXGEN_PATH), arguments);
    if (!hexgen.waitForFinished(kHexgenLimitMs)) {
        hexgen.kill();
        hexgen.waitForFinished(kStartLimitMs);
        return false;
    }
    return hexgen.exitStatus() == QProcess::NormalExit && hexgen.exitCode() == 0;
}
