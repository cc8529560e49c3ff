#include "Tools.h"

#include <QDeadlineTimer>
#include <QFile>

namespace {

const int kStartLimitMs = 5000;

// Harmless on a process that has ended.
void stop(QProcess& process)
{
    process.kill();
    process.waitForFinished(kStartLimitMs);
}

}  // namespace

TargetSim::TargetSim(const QStringList& options)
{
    process_.start(QStringLiteral(KORVEL_TARGETSIM_PATH), QStringList{"--seed", "1"} + options);
    const QDeadlineTimer deadline(kStartLimitMs);
    while (!process_.canReadLine() && !deadline.hasExpired() &&
           process_.waitForReadyRead(int(deadline.remainingTime()))) {
    }
    if (process_.canReadLine())
        devicePath_ = QString::fromLocal8Bit(process_.readLine().trimmed());
}

TargetSim::~TargetSim()
{
    stop(process_);
}

int TargetSim::waitForExit(int ms)
{
    if (process_.state() != QProcess::NotRunning && !process_.waitForFinished(ms))
        return -1;
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

QString TargetSim::errorOutput()
{
    errors_ += process_.readAllStandardError();
    return QString::fromLocal8Bit(errors_);
}

int runTool(const QString& program, const QStringList& arguments)
{
    QProcess tool;
    tool.start(program, arguments);
    const bool ended = tool.waitForFinished(10000);
    stop(tool);
    return ended && tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
}

QString makeHex(const QString& folder, const QString& name, int size, int seed, int recordBytes,
                const QStringList& more)
{
    const QString hex = folder + "/" + name + ".hex";
    QStringList arguments;
    arguments << "--size" << QString::number(size) << "--seed" << QString::number(seed) << "--record-bytes"
              << QString::number(recordBytes) << hex << "--bin" << folder + "/" + name + ".bin";
    return runTool(QStringLiteral(KORVEL_HEXGEN_PATH), arguments + more) == 0 ? hex : QString();
}

QByteArray fileContents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}
