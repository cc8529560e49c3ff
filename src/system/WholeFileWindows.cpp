// Reading a file whole on Windows. Every read is overlapped, so that a pipe's
// writer is awaited in slices beside the stop event, and a writer that never
// finishes is left when the limit is over.
#include "system/WholeFile.h"

#include "system/StopRequests.h"
#include "system/WindowsText.h"

#include <windows.h>

namespace korvel::system {

namespace {

// Closes a handle on every way out.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle()
    {
        if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

WholeFile failed(WholeFile::Outcome outcome, DWORD error = ERROR_SUCCESS)
{
    return {outcome, {}, error != ERROR_SUCCESS ? systemErrorText(error) : ""};
}

bool endOfInput(DWORD error)
{
    return error == ERROR_HANDLE_EOF || error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED;
}

}  // namespace

WholeFile readWholeFile(const std::string& path, const WholeFileRules& rules)
{
    // Backup semantics open a folder too, so that it is told apart from a file
    // the user may not read.
    const Handle file(::CreateFileW(systemPathOf(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OVERLAPPED | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valid()) {
        const DWORD error = ::GetLastError();
        const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return failed(missing ? WholeFile::Outcome::Missing : WholeFile::Outcome::NotOpened, error);
    }
    const DWORD type = ::GetFileType(file.get());
    BY_HANDLE_FILE_INFORMATION information{};
    if (type == FILE_TYPE_DISK && ::GetFileInformationByHandle(file.get(), &information) &&
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return {WholeFile::Outcome::IsDirectory, {}, "Is a directory"};
    const bool regular = type == FILE_TYPE_DISK;
    if (!regular && rules.regularOnly)
        return failed(WholeFile::Outcome::NotRegular);

    const Handle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done.valid())
        return failed(WholeFile::Outcome::ReadFailed, ::GetLastError());
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + rules.waitLimit;
    WholeFile whole{WholeFile::Outcome::Read, {}, {}};
    char piece[65536];
    unsigned long long offset = 0;
    for (;;) {
        OVERLAPPED request{};
        request.Offset = static_cast<DWORD>(offset);
        request.OffsetHigh = static_cast<DWORD>(offset >> 32);
        request.hEvent = done.get();
        DWORD got = 0;
        if (!::ReadFile(file.get(), piece, sizeof piece, nullptr, &request) && ::GetLastError() != ERROR_IO_PENDING) {
            const DWORD error = ::GetLastError();
            if (endOfInput(error))
                return whole;
            return failed(WholeFile::Outcome::ReadFailed, error);
        }
        // Waits for the read in slices; a disk file's read is done at once.
        for (;;) {
            if (::GetOverlappedResult(file.get(), &request, &got, FALSE))
                break;
            DWORD error = ::GetLastError();
            if (error != ERROR_IO_INCOMPLETE) {
                if (endOfInput(error))
                    return whole;
                return failed(WholeFile::Outcome::ReadFailed, error);
            }
            WholeFile::Outcome stopped = WholeFile::Outcome::Read;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (!regular && left <= 0) {
                stopped = WholeFile::Outcome::TooSlow;
            } else {
                const HANDLE waits[] = {done.get(), stopWaitable()};
                const DWORD count = waits[1] != nullptr ? 2 : 1;
                const DWORD slice = static_cast<DWORD>(regular || left > kWaitSliceMs ? kWaitSliceMs : left);
                if (::WaitForMultipleObjects(count, waits, FALSE, slice) == WAIT_OBJECT_0 + 1)
                    stopped = WholeFile::Outcome::Interrupted;
                else if (rules.keepWaiting && !rules.keepWaiting())
                    stopped = WholeFile::Outcome::Interrupted;
            }
            if (stopped != WholeFile::Outcome::Read) {
                // The read must be over before its buffer and event go.
                ::CancelIoEx(file.get(), &request);
                ::GetOverlappedResult(file.get(), &request, &got, TRUE);
                return failed(stopped);
            }
        }
        if (got == 0)
            return whole;
        if (whole.content.size() + got > rules.largest)
            return failed(WholeFile::Outcome::TooLarge);
        whole.content.append(piece, got);
        offset += got;
    }
}

}  // namespace korvel::system
