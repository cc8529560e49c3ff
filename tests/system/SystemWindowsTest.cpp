// The system layer on Windows, run under wine by ./test --windows: named
// pipes, the console's control events, the wide command line and the console.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "system/StopRequests.h"
#include "system/Terminal.h"
#include "system/UserFolders.h"
#include "system/WholeFile.h"

namespace korvel::system {
namespace {

namespace fs = std::filesystem;

const char kEchoArgs[] = "--korvel-echo-args";

std::wstring widen(const std::string& utf8)
{
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring wide(std::size_t(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), size);
    return wide;
}

// A named pipe of this process, to be read by its name.
class NamedPipe {
public:
    NamedPipe()
        : name_("\\\\.\\pipe\\korvel-test-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++made_))
        , pipe_(::CreateNamedPipeW(widen(name_).c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096,
                                   4096, 0, nullptr))
    {
    }
    ~NamedPipe() { close(); }
    bool made() const { return pipe_ != INVALID_HANDLE_VALUE; }
    const std::string& name() const { return name_; }
    // Writes once the reader has opened the pipe.
    bool write(const std::string& text)
    {
        ::ConnectNamedPipe(pipe_, nullptr);
        DWORD written = 0;
        return ::WriteFile(pipe_, text.data(), DWORD(text.size()), &written, nullptr) && written == text.size();
    }
    void close()
    {
        if (pipe_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(pipe_);
        pipe_ = INVALID_HANDLE_VALUE;
    }

private:
    static inline int made_ = 0;
    std::string name_;
    HANDLE pipe_;
};

// A pipe whose writer wrote and then never finishes is left when the limit is
// over, or at once when the caller ends the wait; one that finishes is read.
TEST(WholeFileWindows, PipeWriterIsAwaitedWithinItsLimit)
{
    {
        NamedPipe pipe;
        ASSERT_TRUE(pipe.made());
        bool wrote = false;
        const WholeFile file = readWholeFile(pipe.name(), {100, false, std::chrono::milliseconds(200), [&] {
                                                               wrote = wrote || pipe.write("x");
                                                               return true;
                                                           }});
        EXPECT_TRUE(wrote);
        EXPECT_EQ(file.outcome, WholeFile::Outcome::TooSlow);
    }
    {
        NamedPipe pipe;
        ASSERT_TRUE(pipe.made());
        int calls = 0;
        const WholeFile file =
            readWholeFile(pipe.name(), {100, false, std::chrono::minutes(1), [&] { return ++calls < 3; }});
        EXPECT_EQ(file.outcome, WholeFile::Outcome::Interrupted);
        EXPECT_EQ(calls, 3);
    }
    {
        NamedPipe pipe;
        ASSERT_TRUE(pipe.made());
        const WholeFile file = readWholeFile(pipe.name(), {100, false, std::chrono::minutes(1), [&] {
                                                               if (pipe.write("line 1\r\n"))
                                                                   pipe.close();
                                                               return true;
                                                           }});
        EXPECT_EQ(file.outcome, WholeFile::Outcome::Read);
        EXPECT_EQ(file.content, "line 1\r\n");
    }
    {
        // A settings file that is a pipe is refused without a wait.
        NamedPipe pipe;
        ASSERT_TRUE(pipe.made());
        EXPECT_EQ(readWholeFile(pipe.name(), {100, true, std::chrono::minutes(1)}).outcome,
                  WholeFile::Outcome::NotRegular);
    }
}

// Whether a folder keeps the files is decided by trying: the read-only
// attribute, which Windows ignores for folders, does not say no, and the
// probe leaves nothing behind. The user's own place is below %APPDATA%.
TEST(UserFoldersWindows, FolderIsTriedAndTheUsersPlaceIsAppData)
{
    const fs::path folder = fs::temp_directory_path() / ("korvel-probe-" + std::to_string(::GetCurrentProcessId()));
    fs::create_directories(folder);
    ASSERT_TRUE(::SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(folderTakesNewFiles(folder.u8string()));
    ::SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_FALSE(folderTakesNewFiles((folder / "missing").u8string()));
    fs::remove_all(folder);

    wchar_t appData[MAX_PATH] = {};
    ASSERT_GT(::GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH), 0u);
    EXPECT_EQ(fs::u8path(userFilesFolder()), fs::path(appData) / "AVRBootloaderKorvel");
}

// The program's resources, compiled into this test as into the program: the
// version of the project, and the icon in the sizes Windows asks for.
TEST(WindowsResources, VersionAndIcon)
{
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    DWORD unused = 0;
    std::vector<char> info(::GetFileVersionInfoSizeW(self, &unused));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(::GetFileVersionInfoW(self, 0, DWORD(info.size()), info.data()));
    wchar_t* product = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\ProductVersion",
                                 reinterpret_cast<void**>(&product), &length));
    EXPECT_EQ(std::wstring(product), widen(KORVEL_VERSION_TEXT));
    for (const int size : {16, 32, 48, 128}) {
        const HANDLE icon = ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0);
        EXPECT_NE(icon, nullptr) << size;
        if (icon)
            ::DestroyIcon(static_cast<HICON>(icon));
    }
}

// The exit statuses of the stops, as the signals of a POSIX shell give them.
TEST(StopRequestsWindows, ExitStatuses)
{
    EXPECT_EQ(exitStatusOf(StopRequest::Interrupt), 130);
    EXPECT_EQ(exitStatusOf(StopRequest::Terminate), 143);
    EXPECT_EQ(exitStatusOf(StopRequest::Hangup), 129);
    EXPECT_EQ(stopRequested(), StopRequest::None);
}

// Ctrl-C in the console is noted as an interruption and ends the wait for a
// pipe's writer at once, long before its minute. (A death test's child takes
// the stop, which stays noted in its process. Ctrl-Break takes the same way,
// but wine cannot send it to a whole console.)
[[noreturn]] void stopDuringPipeRead(DWORD event)
{
    StopRequests stops;
    NamedPipe pipe;
    const WholeFile file = readWholeFile(pipe.name(), {100, false, std::chrono::minutes(1), [&] {
                                                           static bool sent = false;
                                                           if (!sent)
                                                               sent = ::GenerateConsoleCtrlEvent(event, 0) != 0;
                                                           return true;
                                                       }});
    const bool interrupted = file.outcome == WholeFile::Outcome::Interrupted;
    std::_Exit(interrupted ? exitStatusOf(stopRequested()) : 1);
}

BOOL WINAPI swallowControlEvent(DWORD)
{
    return TRUE;
}

TEST(ConsoleStop, CtrlCEndsAPipeRead)
{
    if (!isTerminal(StandardStream::Output))
        GTEST_SKIP() << "no console: korvel_system_console_test runs this in one";
    // The event reaches every process of the console: this one lets it pass.
    ::SetConsoleCtrlHandler(swallowControlEvent, TRUE);
    EXPECT_EXIT(stopDuringPipeRead(CTRL_C_EVENT), testing::ExitedWithCode(130), "");
    ::SetConsoleCtrlHandler(swallowControlEvent, FALSE);
}

// Text reaches the console as its characters, whatever its code page; what
// the console shows is read back from its screen.
TEST(ConsoleText, ShowsEveryCharacter)
{
    const HANDLE console = ::GetStdHandle(STD_OUTPUT_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO before{};
    if (!isTerminal(StandardStream::Output) || !::GetConsoleScreenBufferInfo(console, &before))
        GTEST_SKIP() << "no console: korvel_system_console_test runs this in one";
    // "Prüfung ✓ Ω", written in two pieces that split the ü between them.
    const std::string text = "Pr\xc3\xbc"
                             "fung \xe2\x9c\x93 \xce\xa9";
    standardOutput() << text.substr(0, 3) << std::flush << text.substr(3) << std::flush;
    const std::wstring expected = L"Pr\u00fcfung \u2713 \u03a9";
    std::wstring shown(expected.size(), L'\0');
    DWORD read = 0;
    ASSERT_TRUE(
        ::ReadConsoleOutputCharacterW(console, shown.data(), DWORD(shown.size()), before.dwCursorPosition, &read));
    standardOutput() << "\n" << std::flush;
    EXPECT_EQ(shown, expected) << "console code page " << ::GetConsoleOutputCP();
}

// The arguments of a child started with a name outside the ANSI code page
// arrive whole in UTF-8, name the file that was made under that name, and
// come back through a pipe as UTF-8 bytes.
TEST(ProgramArguments, WideCommandLineArrivesAsUtf8)
{
    const std::string name = "Pr\xc3\xbc"
                             "fung \xce\xa9\xe2\x9c\x93.hex";
    const fs::path file = fs::temp_directory_path() / fs::u8path(name);
    std::ofstream(file, std::ios::binary) << ":00000001FF\r\n";

    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(::CreatePipe(&readEnd, &writeEnd, &inherited, 0));
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine =
        L"\"" + std::wstring(self) + L"\" " + widen(kEchoArgs) + L" \"" + file.wstring() + L"\" plain";
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = writeEnd;
    start.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    start.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(
        ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start, &child));
    ::CloseHandle(writeEnd);
    std::string output;
    char piece[4096];
    DWORD got = 0;
    while (::ReadFile(readEnd, piece, sizeof piece, &got, nullptr) && got > 0)
        output.append(piece, got);
    ::WaitForSingleObject(child.hProcess, INFINITE);
    ::CloseHandle(child.hProcess);
    ::CloseHandle(child.hThread);
    ::CloseHandle(readEnd);
    fs::remove(file);
    EXPECT_EQ(output, file.u8string() + "\n:00000001FF\r\n|plain\n");
}

// The child of WideCommandLineArrivesAsUtf8: each argument on a line, the
// first one followed by the file it names.
int echoArguments(int argc, char** argv)
{
    const std::vector<std::string> args = programArguments(argc, argv);
    for (std::size_t i = 1; i < args.size(); ++i) {
        standardOutput() << (i > 1 ? "|" : "") << args[i] << "\n";
        if (i == 1)
            standardOutput() << readWholeFile(args[i], {1000}).content;
    }
    standardOutput() << std::flush;
    return 0;
}

}  // namespace
}  // namespace korvel::system

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], korvel::system::kEchoArgs) == 0)
        return korvel::system::echoArguments(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
