// Stop requests on Windows: the console's control events. Ctrl-C and
// Ctrl-Break interrupt, closing the console hangs up, the session's logoff or
// shutdown terminates, with the exit statuses a POSIX shell gives the matching
// signals. The handler runs on a thread of its own: it notes the request and
// signals an event that the program's waits wait on beside their own. The
// system ends the program once the handler of a close, logoff or shutdown
// returns, so that handler waits until the program has ended by itself.
#include "system/StopRequests.h"

#include <atomic>
#include <windows.h>

namespace korvel::system {

namespace {

std::atomic<StopRequest> firstRequest{StopRequest::None};
HANDLE stopEvent = nullptr;

StopRequest requestOfEvent(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        return StopRequest::Interrupt;
    case CTRL_CLOSE_EVENT:
        return StopRequest::Hangup;
    default:
        return StopRequest::Terminate;
    }
}

BOOL WINAPI onControlEvent(DWORD event)
{
    const StopRequest request = requestOfEvent(event);
    StopRequest none = StopRequest::None;
    if (!firstRequest.compare_exchange_strong(none, request)) {
        // A second request ends the program at once.
        ::ExitProcess(static_cast<UINT>(exitStatusOf(request)));
    }
    ::SetEvent(stopEvent);
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)
        return TRUE;
    // The program ends on its own once the run has stopped; returning would
    // end it at once, with its port still open.
    ::Sleep(INFINITE);
    return TRUE;
}

// The standard input. A read waits for input or a stop, whichever comes
// first; after a stop it gives the end of the input. A console and a pipe are
// awaited beside the stop event; a file is read straight.
class StopAwareInput final : public std::streambuf {
protected:
    int_type underflow() override
    {
        const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
        if (input == nullptr || input == INVALID_HANDLE_VALUE)
            return traits_type::eof();
        for (;;) {
            if (firstRequest.load() != StopRequest::None)
                return traits_type::eof();
            if (!inputReady(input))
                continue;
            DWORD count = 0;
            if (!::ReadFile(input, buffer_, sizeof buffer_, &count, nullptr) || count == 0)
                return traits_type::eof();
            if (firstRequest.load() != StopRequest::None)
                return traits_type::eof();
            setg(buffer_, buffer_, buffer_ + count);
            return traits_type::to_int_type(buffer_[0]);
        }
    }

private:
    // Waits a moment for the input; true when a read may go ahead.
    static bool inputReady(HANDLE input)
    {
        switch (::GetFileType(input)) {
        case FILE_TYPE_CHAR: {
            DWORD mode = 0;
            if (!::GetConsoleMode(input, &mode))
                return true;
            const HANDLE waits[] = {stopEvent, input};
            return ::WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1;
        }
        case FILE_TYPE_PIPE: {
            DWORD available = 0;
            if (!::PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr) || available > 0)
                return true;  // a broken pipe reads as its end
            // A pipe cannot be waited on: the stop event is, in short slices.
            ::WaitForSingleObject(stopEvent, 50);
            return false;
        }
        default:
            return true;
        }
    }

    char buffer_[256];
};

}  // namespace

StopRequests::StopRequests()
    : inputBuffer_(std::make_unique<StopAwareInput>())
    , input_(std::make_unique<std::istream>(inputBuffer_.get()))
{
    if (stopEvent == nullptr)
        stopEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (stopEvent == nullptr)
        return;  // without the event the control events keep their default: they end the program
    ::SetConsoleCtrlHandler(onControlEvent, TRUE);
}

StopRequests::~StopRequests()
{
    ::SetConsoleCtrlHandler(onControlEvent, FALSE);
}

StopRequest stopRequested()
{
    return firstRequest.load();
}

StopWaitable stopWaitable()
{
    return stopEvent;
}

}  // namespace korvel::system
