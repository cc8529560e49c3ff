// Windows keeps no lock files: the system itself refuses a port that another
// program holds.
#include "platform/PortLocks.h"

namespace korvel::platform {

std::vector<std::string> PortLocks::systemFolders()
{
    return {};
}

std::optional<LockFinding> PortLocks::examine(const std::string&, bool) const
{
    return std::nullopt;
}

}  // namespace korvel::platform
