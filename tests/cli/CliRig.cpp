#include "CliRig.h"

#include <QDeadlineTimer>
#include <QFile>

namespace {

const int kStartLimitMs = 5000;
const int kToolLimitMs = 10000;

void stop(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.kill();
    process.waitForFinished(kStartLimitMs);
}

}  // namespace

Simulator::Simulator(const QStringList& options)
{
    process_.start(QStringLiteral(KORVEL_TARGETSIM_PATH), options);
    const QDeadlineTimer deadline(kStartLimitMs);
    while (!process_.canReadLine() && !deadline.hasExpired()
           && process_.waitForReadyRead(int(deadline.remainingTime()))) {
    }
    if (process_.canReadLine())
        devicePath_ = QString::fromLocal8Bit(process_.readLine().trimmed());
}

Simulator::~Simulator()
{
    stop(process_);
}

int Simulator::waitForExit(int ms)
{
    if (process_.state() != QProcess::NotRunning && !process_.waitForFinished(ms))
        return -1;
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

const QByteArray ProgramFolder::kSettings = "0\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n";

ProgramFolder::ProgramFolder()
{
    QFile::copy(QStringLiteral(KORVEL_PROGRAM_PATH), path(QStringLiteral("AVRBootloaderKorvel")));
    mapCom3(path(QStringLiteral("no-tty")));
    write(QStringLiteral("AVRBootloaderKorvel.cfg"), kSettings);
}

bool ProgramFolder::mapCom3(const QString& device) const
{
    return write(QStringLiteral("AVRBootloaderKorvel.ports"), "COM3=" + QFile::encodeName(device) + "\n");
}

bool ProgramFolder::write(const QString& name, const QByteArray& content) const
{
    QFile file(path(name));
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray ProgramFolder::contents(const QString& name) const
{
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool ProgramFolder::makeHex(const QString& name, int size, int seed, int recordBytes) const
{
    QProcess hexgen;
    hexgen.start(QStringLiteral(KORVEL_HEXGEN_PATH),
                 {QStringLiteral("--size"), QString::number(size), QStringLiteral("--seed"), QString::number(seed),
                  QStringLiteral("--record-bytes"), QString::number(recordBytes), path(name + ".hex"),
                  QStringLiteral("--bin"), path(name + ".bin")});
    if (!hexgen.waitForFinished(kToolLimitMs)) {
        stop(hexgen);
        return false;
    }
    return hexgen.exitStatus() == QProcess::NormalExit && hexgen.exitCode() == 0;
}

ProgramRun ProgramFolder::run(const QStringList& arguments, const QByteArray& input,
                              const QProcessEnvironment& environment) const
{
    QProcess program;
    program.setWorkingDirectory(folder_.path());
    program.setProcessEnvironment(environment);
    program.start(path(QStringLiteral("AVRBootloaderKorvel")), arguments);
    program.write(input);
    program.closeWriteChannel();
    ProgramRun run;
    run.finished = program.waitForFinished(runLimitMs_);
    stop(program);
    if (run.finished && program.exitStatus() == QProcess::NormalExit)
        run.exitCode = program.exitCode();
    run.out = QString::fromLocal8Bit(program.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(program.readAllStandardError());
    return run;
}

QProcessEnvironment environmentWithoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    return environment;
}
