// The event loop's watch on the stop event, on Windows.
#include "platform/StopWatch.h"

#include "system/StopRequests.h"

#include <QCoreApplication>
#include <QWinEventNotifier>

namespace korvel::platform {

void watchStopRequests(std::function<void()> onStop)
{
    const system::StopWaitable waitable = system::stopWaitable();
    if (waitable == nullptr)
        return;
    // Owned by the application, which ends before the stop requests do.
    auto* notifier = new QWinEventNotifier(waitable, QCoreApplication::instance());
    QObject::connect(notifier, &QWinEventNotifier::activated, notifier, [notifier, onStop = std::move(onStop)] {
        // The event stays signalled: one call is all it gives.
        notifier->setEnabled(false);
        if (onStop)
            onStop();
    });
}

}  // namespace korvel::platform
