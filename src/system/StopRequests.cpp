#include "system/StopRequests.h"

namespace korvel::system {

int exitStatusOf(StopRequest request)
{
    switch (request) {
    case StopRequest::None:
        break;
    case StopRequest::Interrupt:
        return 130;  // SIGINT
    case StopRequest::Terminate:
        return 143;  // SIGTERM
    case StopRequest::Hangup:
        return 129;  // SIGHUP
    }
    return 0;
}

}  // namespace korvel::system
