#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// korvel-targetsim as a child process; the terminal path it prints first is
// the device of the port under test. Killed when it is still running at the end.
class Simulator {
public:
    explicit Simulator(const QStringList& options);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Empty when the simulator did not start or printed no path in time.
    const QString& devicePath() const { return devicePath_; }
    // Its exit code once it has ended within `ms`; -1 otherwise.
    int waitForExit(int ms);

private:
    QProcess process_;
    QString devicePath_;
};

// How one run of the program ended.
struct ProgramRun {
    bool finished = false;  // ended by itself within the time limit
    int exitCode = -1;
    QString out;
    QString err;
};

// A folder holding a copy of the program with its ports file, which maps COM3
// to a device, and a valid settings file; the program runs with this folder
// as its working directory.
class ProgramFolder {
public:
    // COM3 names a device that does not exist until mapCom3 names another.
    ProgramFolder();

    bool mapCom3(const QString& device) const;

    QString path(const QString& name) const { return folder_.filePath(name); }
    bool write(const QString& name, const QByteArray& content) const;
    // The contents of a file, "<missing>" when it cannot be read.
    QByteArray contents(const QString& name) const;
    // Writes `name`.hex of `size` pseudo-random bytes from address 0 and the
    // bytes themselves as `name`.bin; false when korvel-hexgen failed.
    bool makeHex(const QString& name, int size, int seed, int recordBytes) const;

    // Runs the program with `arguments` and `input` on its standard input,
    // in `environment` (the test's own when none is given). A run still going
    // after the run limit is killed and counts as not finished.
    ProgramRun run(const QStringList& arguments, const QByteArray& input = {},
                   const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) const;

    // The run limit of the following runs. Generous unless set: the slowest
    // run waits about 5 s for a silent target.
    void setRunLimit(int ms) { runLimitMs_ = ms; }

    static const QByteArray kSettings;

private:
    QTemporaryDir folder_;
    int runLimitMs_ = 30000;
};

// The test's environment without any way to reach a display.
QProcessEnvironment environmentWithoutDisplay();
