#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// korvel-targetsim as a child process; the terminal path it prints first is
// the device of the port under test. Its noise has a fixed seed, the same on
// every run. Killed when it is still running at the end.
class TargetSim {
public:
    explicit TargetSim(const QStringList& options);
    ~TargetSim();

    // Empty when the simulator did not start or printed no path in time.
    const QString& devicePath() const { return devicePath_; }
    std::string device() const { return devicePath_.toStdString(); }
    void terminate() { process_.terminate(); }
    // Its exit code once it has ended within `ms`; -1 otherwise.
    int waitForExit(int ms);
    // What it wrote to its error output so far (its closing summary among it).
    QString errorOutput();

private:
    QProcess process_;
    QString devicePath_;
    QByteArray errors_;
};

// Runs `program` to its end; its exit code, -1 when it crashed or overran 10 s.
int runTool(const QString& program, const QStringList& arguments);

// Writes `folder`/`name`.hex of `size` pseudo-random bytes from address 0, and
// the bytes themselves as `name`.bin. Its path, empty when korvel-hexgen failed.
QString makeHex(const QString& folder, const QString& name, int size, int seed, int recordBytes = 16,
                const QStringList& more = {});

// The contents of a file, "<missing>" when it cannot be read.
QByteArray fileContents(const QString& path);
bool writeFile(const QString& path, const QByteArray& content);
