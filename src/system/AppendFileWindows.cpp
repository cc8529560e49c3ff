#include "system/AppendFile.h"

#include <windows.h>

namespace korvel::system {

namespace {

std::wstring widened(const std::string& text)
{
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string systemReason(DWORD error)
{
    char* text = nullptr;
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string reason = length > 0 ? std::string(text, length) : "system error " + std::to_string(error);
    ::LocalFree(text);
    while (!reason.empty() && (reason.back() == '\r' || reason.back() == '\n' || reason.back() == '.'))
        reason.pop_back();
    return reason;
}

}  // namespace

AppendFile::~AppendFile()
{
    if (isOpen())
        ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

// The reparse point itself is opened, not what it points to, and refused:
// a link or junction could send the record anywhere.
bool AppendFile::open(const std::string& path)
{
    const HANDLE file =
        ::CreateFileW(widened(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        failure_ = systemReason(::GetLastError());
        return false;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const bool described = ::GetFileInformationByHandle(file, &information) != 0;
    if (!described || ::GetFileType(file) != FILE_TYPE_DISK ||
        (information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        failure_ = "it is not a regular file";
        ::CloseHandle(file);
        return false;
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    return true;
}

bool AppendFile::append(std::string_view bytes)
{
    if (!isOpen()) {
        failure_ = "it is not open";
        return false;
    }
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!::WriteFile(reinterpret_cast<HANDLE>(handle_), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                         nullptr) ||
            written == 0) {
            failure_ = systemReason(::GetLastError());
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace korvel::system
