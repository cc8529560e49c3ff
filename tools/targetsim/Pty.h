#pragma once

#include <string>

namespace targetsim {

// A pseudo-terminal: the simulator works on the master side; the PC opens the slave
// path. The simulator keeps one slave descriptor of its own open, so the PC can open and
// close the port as often as it likes without the master seeing a hang-up.
class Pty {
public:
    Pty() = default;
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    // Both sides raw, no software flow control on the slave (the PC sets its own when it
    // opens the port), master non-blocking. On failure `error` says why.
    bool open(std::string& error);
    // Closes the line: the PC's side sees a hang-up and loses what it has not read.
    void close();
    // Closes the simulator's own slave descriptor, so the master reports a hang-up as
    // soon as the PC's side is closed too.
    void releaseSlave();

    int master() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

}  // namespace targetsim
