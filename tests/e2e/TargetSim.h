#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>

// korvel-targetsim running as a child process. The pseudo-terminal path it
// prints first is the device that the program under test opens as its port.
class TargetSim {
public:
    explicit TargetSim(const QStringList& options);
    ~TargetSim();
    TargetSim(const TargetSim&) = delete;
    TargetSim& operator=(const TargetSim&) = delete;

    // Empty when the simulator did not start or printed no path in time.
    const std::string& devicePath() const { return devicePath_; }

    // Waits up to `ms` for the simulator to end; its exit code, or none when it
    // is still running or crashed.
    std::optional<int> waitForExit(int ms);

    // What it wrote to its error output so far (its closing summary among it).
    QString errorOutput();

private:
    QProcess process_;
    std::string devicePath_;
    QByteArray errors_;
};

// Runs korvel-hexgen with `arguments`; true when it wrote its files.
bool runHexgen(const QStringList& arguments);
