// The user's folders on Linux and other POSIX systems.
#include "system/UserFolders.h"

#include <cstdlib>
#include <unistd.h>

namespace korvel::system {

std::string userFilesFolder()
{
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome && configHome[0] == '/')
        return std::string(configHome) + "/avrbootloaderkorvel";
    const char* home = std::getenv("HOME");
    if (!home || home[0] == '\0')
        return {};
    return std::string(home) + "/.config/avrbootloaderkorvel";
}

bool folderTakesNewFiles(const std::string& folder)
{
    return ::access(folder.c_str(), W_OK) == 0;
}

}  // namespace korvel::system
