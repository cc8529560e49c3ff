// Appending to a file on Windows.
#include "system/AppendFile.h"

#include "system/WindowsText.h"

#include <windows.h>

namespace korvel::system {

namespace {

// True for what could send a record elsewhere: a symbolic link or a mount
// point (a junction). Other reparse points are files of their own: a file
// that OneDrive keeps in the cloud, a deduplicated one.
bool leadsElsewhere(HANDLE file, DWORD attributes)
{
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return false;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!::GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag))
        return true;
    return tag.ReparseTag == IO_REPARSE_TAG_SYMLINK || tag.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT;
}

}  // namespace

AppendFile::~AppendFile()
{
    if (isOpen())
        ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

// The reparse point itself is opened, not what it points to, and a link or a
// mount point is refused: it could send the record anywhere.
bool AppendFile::open(const std::string& path)
{
    const HANDLE file = ::CreateFileW(systemPathOf(path).c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        reason_ = systemErrorText(::GetLastError());
        return false;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const bool described = ::GetFileInformationByHandle(file, &information) != 0;
    if (!described || ::GetFileType(file) != FILE_TYPE_DISK ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
        leadsElsewhere(file, information.dwFileAttributes)) {
        reason_ = "it is not a regular file";
        ::CloseHandle(file);
        return false;
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    return true;
}

// The same file is the same volume and the same index on it.
bool AppendFile::isFile(const std::string& path) const
{
    const HANDLE other = ::CreateFileW(systemPathOf(path).c_str(), FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (other == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION mine{}, theirs{};
    const bool same = isOpen() && ::GetFileInformationByHandle(reinterpret_cast<HANDLE>(handle_), &mine) &&
                      ::GetFileInformationByHandle(other, &theirs) &&
                      mine.dwVolumeSerialNumber == theirs.dwVolumeSerialNumber &&
                      mine.nFileIndexHigh == theirs.nFileIndexHigh && mine.nFileIndexLow == theirs.nFileIndexLow;
    ::CloseHandle(other);
    return same;
}

bool AppendFile::append(std::string_view bytes)
{
    if (!isOpen()) {
        reason_ = "it is not open";
        return false;
    }
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!::WriteFile(reinterpret_cast<HANDLE>(handle_), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                         nullptr) ||
            written == 0) {
            reason_ = systemErrorText(::GetLastError());
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace korvel::system
