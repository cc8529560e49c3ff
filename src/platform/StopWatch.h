#pragma once

#include <functional>

namespace korvel::platform {

// Once the application runs: `onStop` is called in its event loop when the
// first stop request arrives (see StopRequests), and every wait of the loop
// wakes for it. A request that came before is seen at once. One
// implementation per system (StopWatchPosix.cpp, StopWatchWindows.cpp).
void watchStopRequests(std::function<void()> onStop);

}  // namespace korvel::platform
