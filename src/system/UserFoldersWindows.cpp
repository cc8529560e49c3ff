// The user's folders on Windows.
#include "system/UserFolders.h"

#include "system/WindowsText.h"

#include <windows.h>
// SHGetKnownFolderPath
#include <knownfolders.h>
#include <shlobj.h>

namespace korvel::system {

std::string userFilesFolder()
{
    wchar_t* roaming = nullptr;
    if (::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &roaming) != S_OK) {
        ::CoTaskMemFree(roaming);
        return {};
    }
    const std::string folder = utf8FromWide(roaming) + "\\AVRBootloaderKorvel";
    ::CoTaskMemFree(roaming);
    return folder;
}

bool folderTakesNewFiles(const std::string& folder)
{
    // A name of this process's own, removed by the system when it is closed.
    const std::wstring probe = systemPathOf(folder + "\\.korvel-probe-" + std::to_string(::GetCurrentProcessId()));
    const HANDLE file =
        ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

}  // namespace korvel::system
