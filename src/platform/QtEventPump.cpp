#include "platform/QtEventPump.h"

#include <QCoreApplication>

namespace korvel::platform {

void QtEventPump::yieldOnce()
{
    QCoreApplication::processEvents();
}

void QtEventPump::yieldWaiting()
{
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

}  // namespace korvel::platform
