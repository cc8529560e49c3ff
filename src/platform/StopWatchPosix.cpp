// The event loop's watch on the stop pipe, on POSIX systems.
#include "platform/StopWatch.h"

#include "system/StopRequests.h"

#include <QCoreApplication>
#include <QSocketNotifier>

namespace korvel::platform {

void watchStopRequests(std::function<void()> onStop)
{
    const system::StopWaitable waitable = system::stopWaitable();
    if (waitable < 0)
        return;
    // Owned by the application, which ends before the stop requests do.
    auto* notifier = new QSocketNotifier(waitable, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier, onStop = std::move(onStop)] {
        // The pipe stays readable: one call is all it gives.
        notifier->setEnabled(false);
        if (onStop)
            onStop();
    });
}

}  // namespace korvel::platform
