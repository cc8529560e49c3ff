#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// korvel-targetsim started as a child process; the terminal path it prints
// first is the device the benchmark opens. Ended (SIGTERM) when destroyed.
class SimChild {
public:
    SimChild(const std::string& program, const std::vector<std::string>& options);
    ~SimChild();
    SimChild(const SimChild&) = delete;
    SimChild& operator=(const SimChild&) = delete;

    // Empty when the simulator did not start or printed no path in time.
    const std::string& devicePath() const { return devicePath_; }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string devicePath_;
};
