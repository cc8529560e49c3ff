#pragma once

#include "platform/QtTimer.h"

namespace korvel::platform {

// The three timers a download runs on, as a new main window sets them up: the
// synchronisation window (5000 ms) and the lines-remaining refresh (1000 ms)
// stopped, the 60 ms answer tick running for their whole life.
struct DownloadTimers {
    DownloadTimers()
    {
        TmrSyn.setInterval(5000);
        TmrShowLine.setInterval(1000);
        TmrWaitAnsw.setInterval(60);
        TmrWaitAnsw.setEnabled(true);
    }

    QtTimer TmrSyn;
    QtTimer TmrWaitAnsw;
    QtTimer TmrShowLine;
};

}  // namespace korvel::platform
