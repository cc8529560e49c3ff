#pragma once

#include "system/StopRequests.h"

namespace korvel::system {

// How the stop requests of Windows answer one of the console's control events
// (StopRequestsWindows.cpp).
struct ControlEventAnswer {
    // None: not a stop of ours; the next handler, in the end the system's
    // default, takes the event.
    StopRequest request = StopRequest::None;
    // True: the handler does not return while the program runs, since the
    // system ends the program as soon as it does; the program ends by itself
    // once the run has stopped with its port closed.
    bool heldUntilExit = false;
};

// `event` is CTRL_C_EVENT, CTRL_BREAK_EVENT, CTRL_CLOSE_EVENT,
// CTRL_LOGOFF_EVENT or CTRL_SHUTDOWN_EVENT. The last two reach services only:
// a program that uses the window system (this one, through Qt) is not told of
// the session's end through its console.
ControlEventAnswer answerToControlEvent(unsigned long event);

}  // namespace korvel::system
