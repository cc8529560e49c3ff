#pragma once

#include <QSocketNotifier>
#include <memory>
#include <string>

// The far end of a pseudo-terminal, playing a bootloader: the program under
// test opens the slave device as a serial port. Bytes arriving are collected
// while events run.
class PtyTarget {
public:
    PtyTarget();
    ~PtyTarget();
    PtyTarget(const PtyTarget&) = delete;
    PtyTarget& operator=(const PtyTarget&) = delete;

    const std::string& devicePath() const { return devicePath_; }
    const std::string& received() const { return received_; }

    // Answers the first synchronisation byte with "$" and the first "@&$" with
    // `answer` (e.g. "?G1.3"). Without this the target stays silent.
    void answerHandshake(std::string answer);

private:
    void collect();
    void send(const std::string& bytes);

    int master_ = -1;
    int slave_ = -1;  // held open so that the line never hangs up between openings
    std::string devicePath_;
    std::string received_;
    std::string handshakeAnswer_;
    bool answeredSync_ = false;
    bool answeredVersion_ = false;
    std::unique_ptr<QSocketNotifier> notifier_;
};
