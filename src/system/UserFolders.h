#pragma once

#include <string>

namespace korvel::system {

// The folder where this user's own settings and ports files live when the
// program's folder does not keep them: $XDG_CONFIG_HOME/avrbootloaderkorvel
// (by default ~/.config/avrbootloaderkorvel) on POSIX systems,
// %APPDATA%\AVRBootloaderKorvel on Windows. In UTF-8; empty when the system
// names no such place.
std::string userFilesFolder();

// Whether this user can really make files in `folder` (UTF-8). POSIX: what the
// system answers for this user (access(2)), which mode bits alone do not tell.
// Windows: decided by trying, as creating and deleting a probe file there, since
// neither the read-only attribute nor a folder's rights that look writable
// (Program Files for an ordinary user) tell it.
bool folderTakesNewFiles(const std::string& folder);

}  // namespace korvel::system
