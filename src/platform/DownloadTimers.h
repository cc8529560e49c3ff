#pragma once

#include "link/BootloaderLink.h"
#include "link/Protocol.h"
#include "platform/QtEventPump.h"
#include "platform/QtTimer.h"
#include "platform/SteadyClock.h"

namespace korvel::platform {

// The three timers a download runs on, as a new main window sets them up: the
// synchronisation window and the lines-remaining refresh stopped, the answer
// tick running for their whole life.
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
};

// The seams of a download on these timers, the steady clock and the Qt event
// pump: the one place that puts each timer into its seam.
inline link::LinkSeams downloadSeams(DownloadTimers& timers, link::SerialPort& port, link::FrontEnd& frontEnd,
                                     link::HexFiles& files)
{
    // Both hold no state: one of each serves every download.
    static SteadyClock clock;
    static QtEventPump events;
    return {port, frontEnd, timers.TmrSyn, timers.TmrWaitAnsw, timers.TmrShowLine, clock, events, files};
}

}  // namespace korvel::platform
