// Stop requests on Linux and other POSIX systems: the signals SIGINT, SIGTERM
// and SIGHUP. The handler keeps to what is safe inside a signal handler: it
// stores the request, writes one byte to a pipe and, for a second signal,
// restores the default action and raises the signal again. The pipe is never
// emptied, so once a stop has come it stays readable: the event loop, the
// read of an answer and the read of a pipe wait on it beside their own events.
#include "system/StopRequests.h"

#include "system/Terminal.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace korvel::system {

namespace {

const int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t firstStopSignal = 0;
int stopPipe[2] = {-1, -1};  // read end, write end

void setAction(int signal, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // One stop handler at a time; system calls resume where they were. The
    // waits that a stop must end wait on the pipe beside their own events.
    for (int stop : kStopSignals)
        sigaddset(&action.sa_mask, stop);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

void onStopSignal(int signal)
{
    if (firstStopSignal != 0) {
        // Still blocked while this handler runs: the default action ends the
        // program as soon as the handler returns.
        setAction(signal, SIG_DFL);
        raise(signal);
        return;
    }
    firstStopSignal = signal;
    const int savedErrno = errno;
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = ::write(stopPipe[1], &byte, 1);
    errno = savedErrno;
}

// The standard input, read straight from its descriptor. A read waits for
// input or a stop, whichever comes first; after a stop it gives the end of
// the input.
class StopAwareInput final : public std::streambuf {
protected:
    int_type underflow() override
    {
        pollfd waits[] = {{stopPipe[0], POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        for (;;) {
            if (::poll(waits, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                return traits_type::eof();
            }
            if (waits[0].revents != 0)
                return traits_type::eof();
            const ssize_t count = ::read(STDIN_FILENO, buffer_, sizeof buffer_);
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0)
                return traits_type::eof();
            setg(buffer_, buffer_, buffer_ + count);
            return traits_type::to_int_type(buffer_[0]);
        }
    }

private:
    char buffer_[256];
};

}  // namespace

StopRequests::StopRequests(ParentConsole parent)
    : inputBuffer_(std::make_unique<StopAwareInput>())
    , input_(std::make_unique<std::istream>(inputBuffer_.get()))
{
    if (parent == ParentConsole::Join)
        joinParentConsole();
    std::signal(SIGPIPE, SIG_IGN);
    if (stopPipe[0] < 0 && ::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;  // without the pipe the stop signals keep their default: they end the program
    for (int signal : kStopSignals)
        setAction(signal, onStopSignal);
}

StopRequests::~StopRequests()
{
    for (int signal : kStopSignals)
        setAction(signal, SIG_DFL);
}

StopRequest stopRequested()
{
    switch (firstStopSignal) {
    case SIGINT:
        return StopRequest::Interrupt;
    case SIGTERM:
        return StopRequest::Terminate;
    case SIGHUP:
        return StopRequest::Hangup;
    default:
        return StopRequest::None;
    }
}

StopWaitable stopWaitable()
{
    return stopPipe[0];
}

const char* stopRequestName(StopRequest request)
{
    switch (request) {
    case StopRequest::None:
        break;
    case StopRequest::Interrupt:
        return "SIGINT";
    case StopRequest::Terminate:
        return "SIGTERM";
    case StopRequest::Hangup:
        return "SIGHUP";
    }
    return "";
}

}  // namespace korvel::system
