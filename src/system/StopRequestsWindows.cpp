// Stop requests on Windows: the console's control events. Ctrl-C and
// Ctrl-Break interrupt and closing the console hangs up, with the exit
// statuses a POSIX shell gives the matching signals. The handler runs on a
// thread of its own: it notes the request and signals an event that the
// program's waits wait on beside their own. The system ends the program once
// the handler of a close returns, so that handler waits until the program has
// ended by itself.
#include "system/StopRequests.h"

#include "system/ControlEvents.h"
#include "system/Terminal.h"

#include <atomic>
#include <windows.h>

namespace korvel::system {

namespace {

std::atomic<StopRequest> firstRequest{StopRequest::None};
HANDLE stopEvent = nullptr;

BOOL WINAPI onControlEvent(DWORD event)
{
    const ControlEventAnswer answer = answerToControlEvent(event);
    if (answer.request == StopRequest::None)
        return FALSE;
    StopRequest none = StopRequest::None;
    if (!firstRequest.compare_exchange_strong(none, answer.request)) {
        // A second request ends the program at once.
        ::ExitProcess(static_cast<UINT>(exitStatusOf(answer.request)));
    }
    ::SetEvent(stopEvent);
    // The program ends on its own once the run has stopped; returning would
    // end it at once, with its port still open.
    if (answer.heldUntilExit)
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

ControlEventAnswer answerToControlEvent(unsigned long event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        return {StopRequest::Interrupt, false};
    case CTRL_CLOSE_EVENT:
        return {StopRequest::Hangup, true};
    default:
        return {};
    }
}

StopRequests::StopRequests(ParentConsole parent)
    : inputBuffer_(std::make_unique<StopAwareInput>())
    , input_(std::make_unique<std::istream>(inputBuffer_.get()))
{
    // Joining a console empties the table of control handlers: the handler
    // comes after it.
    if (parent == ParentConsole::Join)
        joinParentConsole();
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

// Windows delivers console events, not signals: Ctrl-C or Ctrl-Break, and
// the console's closing.
const char* stopRequestName(StopRequest request)
{
    switch (request) {
    case StopRequest::None:
        break;
    case StopRequest::Interrupt:
        return "Ctrl-C";
    case StopRequest::Terminate:
        return "stop request";
    case StopRequest::Hangup:
        return "console closed";
    }
    return "";
}

}  // namespace korvel::system
