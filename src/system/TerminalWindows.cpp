// The console on Windows. Text goes to a console as characters (WriteConsoleW),
// so that it shows right whatever the console's code page; to a file or a
// pipe it goes as UTF-8 bytes.
#include "system/Terminal.h"

#include "system/WindowsText.h"

#include <cstring>
#include <memory>
#include <streambuf>
#include <windows.h>
// CommandLineToArgvW
#include <shellapi.h>

namespace korvel::system {

namespace {

bool isConsole(HANDLE handle)
{
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) != 0;
}

// UTF-8 text to one of the standard handles, looked up at every write: a
// program that joins its parent's console gets its handles then.
class StandardText final : public std::streambuf {
public:
    explicit StandardText(DWORD which) : which_(which) { setp(buffer_, buffer_ + sizeof buffer_); }

protected:
    int_type overflow(int_type c) override
    {
        if (sync() != 0)
            return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    int sync() override
    {
        const std::size_t filled = static_cast<std::size_t>(pptr() - pbase());
        // A character whose bytes are not all here yet waits for the rest.
        const std::size_t whole = wholeCharacters(pbase(), filled);
        const bool written = write(std::string_view(pbase(), whole));
        const std::size_t rest = filled - whole;
        std::memmove(buffer_, pbase() + whole, rest);
        setp(buffer_, buffer_ + sizeof buffer_);
        pbump(static_cast<int>(rest));
        return written ? 0 : -1;
    }

private:
    // The length of the longest start of `text` that ends with a whole UTF-8
    // character; an invalid sequence counts as whole.
    static std::size_t wholeCharacters(const char* text, std::size_t size)
    {
        std::size_t start = size;
        for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
            const unsigned char byte = static_cast<unsigned char>(text[size - back]);
            if ((byte & 0xC0) == 0x80)
                continue;  // a continuation byte
            const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
            start = length > back ? size - back : size;
            break;
        }
        return start;
    }

    bool write(std::string_view text)
    {
        if (text.empty())
            return true;
        const HANDLE handle = ::GetStdHandle(which_);
        if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
            return true;  // no such stream: what is written to it is lost, as on a closed terminal
        if (isConsole(handle)) {
            const std::wstring wide = wideFromUtf8(text);
            for (std::size_t done = 0; done < wide.size();) {
                DWORD count = 0;
                if (!::WriteConsoleW(handle, wide.data() + done, static_cast<DWORD>(wide.size() - done), &count,
                                     nullptr) ||
                    count == 0)
                    return false;
                done += count;
            }
            return true;
        }
        for (std::size_t done = 0; done < text.size();) {
            DWORD count = 0;
            if (!::WriteFile(handle, text.data() + done, static_cast<DWORD>(text.size() - done), &count, nullptr) ||
                count == 0)
                return false;
            done += count;
        }
        return true;
    }

    DWORD which_;
    char buffer_[4096];
};

}  // namespace

// A console of Windows 10 and later moves the cursor as a terminal does when
// asked to: the live lines of a run of several ports are redrawn in place
// with the same escape sequences as on POSIX systems.
void prepareStandardStreams()
{
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (isConsole(out) && ::GetConsoleMode(out, &mode))
        ::SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

bool isTerminal(StandardStream stream)
{
    switch (stream) {
    case StandardStream::Input:
        return isConsole(::GetStdHandle(STD_INPUT_HANDLE));
    case StandardStream::Output:
        return isConsole(::GetStdHandle(STD_OUTPUT_HANDLE));
    case StandardStream::Error:
        return isConsole(::GetStdHandle(STD_ERROR_HANDLE));
    }
    return false;
}

int outputColumns()
{
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleScreenBufferInfo(::GetStdHandle(STD_OUTPUT_HANDLE), &info))
        return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

std::ostream& standardOutput()
{
    static StandardText text(STD_OUTPUT_HANDLE);
    static std::ostream stream(&text);
    return stream;
}

std::ostream& standardError()
{
    static StandardText text(STD_ERROR_HANDLE);
    static std::ostream stream(&text);
    return stream;
}

std::vector<std::string> programArguments(int, char**)
{
    int count = 0;
    const std::unique_ptr<wchar_t*, HLOCAL (*)(HLOCAL)> wide(::CommandLineToArgvW(::GetCommandLineW(), &count),
                                                             ::LocalFree);
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i)
        args.push_back(utf8FromWide(wide.get()[i]));
    return args;
}

bool joinParentConsole()
{
    // A stream that already goes somewhere (a file, a pipe, a console) stays.
    if (isConsole(::GetStdHandle(STD_OUTPUT_HANDLE)) || isConsole(::GetStdHandle(STD_ERROR_HANDLE)))
        return true;
    if (!::AttachConsole(ATTACH_PARENT_PROCESS))
        return false;
    const auto redirectUnset = [](DWORD which, const wchar_t* device, DWORD access) {
        const HANDLE current = ::GetStdHandle(which);
        if (current != nullptr && current != INVALID_HANDLE_VALUE)
            return;
        const HANDLE console =
            ::CreateFileW(device, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (console != INVALID_HANDLE_VALUE)
            ::SetStdHandle(which, console);
    };
    redirectUnset(STD_OUTPUT_HANDLE, L"CONOUT$", GENERIC_READ | GENERIC_WRITE);
    redirectUnset(STD_ERROR_HANDLE, L"CONOUT$", GENERIC_READ | GENERIC_WRITE);
    redirectUnset(STD_INPUT_HANDLE, L"CONIN$", GENERIC_READ | GENERIC_WRITE);
    return true;
}

}  // namespace korvel::system
