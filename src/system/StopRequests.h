#pragma once

#include <istream>
#include <memory>
#include <streambuf>

namespace korvel::system {

// A request from outside to stop the program.
enum class StopRequest {
    None,
    Interrupt,  // Ctrl-C (SIGINT); on Windows Ctrl-Break too
    Terminate,  // SIGTERM (POSIX systems only)
    Hangup,     // SIGHUP: the terminal went away; on Windows its console was closed
};

// Whether the program joins the console of the program that started it before
// it receives the stop requests (see joinParentConsole in system/Terminal.h).
enum class ParentConsole { Keep, Join };

// The exit status of a program ended by `request`: as a shell reports one
// ended by the matching signal, 128 plus its number (130, 143, 129).
int exitStatusOf(StopRequest request);

// The request as its user knows it: "SIGINT" on POSIX systems, "Ctrl-C" on
// Windows, and so on; empty for None.
const char* stopRequestName(StopRequest request);

// Receives the stop requests while it lives: the first one is noted, and a run
// stops at its next chance with its port closed and unlocked; a second one
// ends the program at once. On POSIX systems the requests are the signals
// SIGINT, SIGTERM and SIGHUP, and SIGPIPE is ignored, so that an output
// nobody reads any more only loses what is written to it; on Windows they are
// the console's control events. One object lives for the whole program.
// With ParentConsole::Join it first joins the parent's console: on Windows
// joining a console empties the table of control handlers, so the handler is
// registered only after that. One implementation per system
// (StopRequestsPosix.cpp, StopRequestsWindows.cpp).
class StopRequests {
public:
    explicit StopRequests(ParentConsole parent = ParentConsole::Keep);
    ~StopRequests();
    StopRequests(const StopRequests&) = delete;
    StopRequests& operator=(const StopRequests&) = delete;

    // The standard input, ending as soon as a stop request has arrived: a
    // question waiting for its answer then reads the end of the input.
    std::istream& input() { return *input_; }

private:
    std::unique_ptr<std::streambuf> inputBuffer_;
    std::unique_ptr<std::istream> input_;
};

// The first stop request received so far; None while none has come.
StopRequest stopRequested();

// What a wait of the system can wait on beside its own events, ready once a
// stop request has come: a descriptor that turns readable (POSIX), or an event
// object that is signalled (a Windows HANDLE). Invalid (-1, or null) while no
// StopRequests object has been made.
#ifdef _WIN32
using StopWaitable = void*;
#else
using StopWaitable = int;
#endif
StopWaitable stopWaitable();

}  // namespace korvel::system
