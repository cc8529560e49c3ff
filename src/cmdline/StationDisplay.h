#pragma once

#include "cmdline/TerminalReport.h"

#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace korvel::cmdline {

// What a run of several ports shows on the terminal. On a terminal, one line
// per port (its name, its state and the share of its file sent) stays at the
// bottom, redrawn in place within the terminal's width, with the tally line
// under it; the ports' messages, questions and summaries are written above
// them. Elsewhere (a pipe, a file) each message is a line of its own and the
// port lines are not drawn. Every port's download runs on a thread of its
// own: each call is safe from any thread, and a question holds only the port
// that asks it.
class StationDisplay {
public:
    StationDisplay(const TerminalReport::Streams& streams, std::vector<std::string> portNames);
    StationDisplay(const StationDisplay&) = delete;
    StationDisplay& operator=(const StationDisplay&) = delete;

    // The port's state in a few words ("sending FLASH 45%", "good").
    void setState(std::size_t port, const std::string& state);
    // A line about the port, "<port>: <text>", to the standard output or error.
    void say(std::size_t port, const std::string& text, bool toStandardOutput);
    // A line of the whole run, to the standard output: the tally kept under
    // the port lines on a terminal, and written out when `final`.
    void tally(const std::string& text, bool final);
    // Asks the question for the port and reads one line of the input, as a
    // single run asks: "y" or "yes" goes on. One question at a time; the
    // other ports go on meanwhile, but the port lines are not redrawn while
    // the question stands.
    bool ask(std::size_t port, const std::string& question);

private:
    void write(std::ostream& stream, const std::string& text);
    void eraseBlock();
    void drawBlock();
    // The line of each port, each within the terminal's width.
    std::string portLines() const;
    std::size_t most() const;

    std::mutex mutex_;
    std::mutex questions_;
    std::ostream& out_;
    std::ostream& err_;
    TerminalReport asker_;  // asks as a single run asks
    const bool live_;
    const std::function<int()> outColumns_;
    const std::vector<std::string> names_;
    std::vector<std::string> states_;
    std::string tally_;
    int drawn_ = 0;                                   // lines of the block on the terminal now
    bool asking_ = false;                             // a question stands: the block and the other ports' lines wait
    std::vector<std::pair<std::string, bool>> held_;  // lines said meanwhile, and whether to the standard output
};

}  // namespace korvel::cmdline
