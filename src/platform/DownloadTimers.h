#pragma once

#include "link/BootloaderLink.h"
#include "link/Protocol.h"
#include "link/SteadyClock.h"
#include "platform/QtEventPump.h"
#include "platform/QtTimer.h"

namespace korvel::platform {

// The timers a download runs on, as a new main window sets them up: the
// synchronisation window, the lines-remaining refresh and the handshake's pace
// stopped, the answer tick running for their whole life.
struct DownloadTimers {
    DownloadTimers()
    {
        TmrSyn.setInterval(link::protocol::kFirstSyncWindowMs);
        TmrShowLine.setInterval(link::protocol::kShowLinesMs);
        TmrWaitAnsw.setInterval(link::protocol::kAnswerTickMs);
        TmrWaitAnsw.setEnabled(true);
    }

    QtTimer TmrSyn;
    QtTimer TmrWaitAnsw;
    QtTimer TmrShowLine;
    QtTimer paceTimer;
};

// The seams of a download on these timers, the steady clock and the Qt event
// pump: the one place that puts each timer into its seam.
inline link::LinkSeams downloadSeams(DownloadTimers& timers, link::SerialPort& port, link::FrontEnd& frontEnd,
                                     link::HexFiles& files)
{
    // Both hold no state: one of each serves every download.
    static link::SteadyClock clock;
    static QtEventPump events;
    return {port,  frontEnd, timers.TmrSyn, timers.TmrWaitAnsw, timers.TmrShowLine, timers.paceTimer,
            clock, events,   files};
}

}  // namespace korvel::platform
