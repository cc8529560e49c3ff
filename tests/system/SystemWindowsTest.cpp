// The system layer on Windows, run under wine by ./test --windows: named
// pipes, the console's control events, the wide command line, the console,
// the user's folder and long file names.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ScratchFolder.h"
#include "system/AppendFile.h"
#include "system/ControlEvents.h"
#include "system/StopRequests.h"
#include "system/Terminal.h"
#include "system/UserFolders.h"
#include "system/WholeFile.h"
#include "system/WindowsText.h"

namespace korvel::system {
namespace {

namespace fs = std::filesystem;

// The arguments that make this test a child of one of its cases.
const char kEchoArgs[] = "--korvel-echo-args";
const char kUserFolder[] = "--korvel-user-folder";
const char kJoinConsole[] = "--korvel-join-console";

// This test as a child process with `arguments`: its exit status and what it
// wrote to its standard output. `environment` is the child's whole
// environment (empty: this one's); `detached` starts it without a console
// and without standard streams.
struct ChildRun {
    DWORD status = 1;
    std::string output;
};
ChildRun runSelf(const std::wstring& arguments, const std::wstring& environment = {}, bool detached = false)
{
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherited, 0))
        return {};
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" " + arguments;
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    if (!detached) {
        start.hStdOutput = writeEnd;
        start.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
        start.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    }
    const DWORD flags = CREATE_UNICODE_ENVIRONMENT | (detached ? DETACHED_PROCESS : 0);
    PROCESS_INFORMATION child{};
    ChildRun run;
    if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, flags,
                         environment.empty() ? nullptr : const_cast<wchar_t*>(environment.data()), nullptr, &start,
                         &child)) {
        ::CloseHandle(writeEnd);
        char piece[4096];
        DWORD got = 0;
        while (::ReadFile(readEnd, piece, sizeof piece, &got, nullptr) && got > 0)
            run.output.append(piece, got);
        // Bounded: a child that hangs fails the case instead of the run.
        if (::WaitForSingleObject(child.hProcess, 60000) != WAIT_OBJECT_0)
            ::TerminateProcess(child.hProcess, 1);
        ::GetExitCodeProcess(child.hProcess, &run.status);
        ::CloseHandle(child.hProcess);
        ::CloseHandle(child.hThread);
    } else {
        ::CloseHandle(writeEnd);
    }
    ::CloseHandle(readEnd);
    return run;
}

// A named pipe of this process, to be read by its name.
class NamedPipe {
public:
    NamedPipe()
        : name_("\\\\.\\pipe\\korvel-test-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++made_))
        , pipe_(::CreateNamedPipeW(wideFromUtf8(name_).c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                   4096, 4096, 0, nullptr))
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
// over, or at once when the caller ends the wait; one that finishes is read;
// a settings file that is a pipe is refused without a wait.
TEST(WholeFileWindows, PipeWriterIsAwaitedWithinItsLimit)
{
    using namespace std::chrono_literals;
    using Outcome = WholeFile::Outcome;
    const struct {
        bool regularOnly;
        std::chrono::milliseconds limit;
        std::function<bool(NamedPipe&, int)> keepWaiting;  // at its nth call; the writer's doings meanwhile
        Outcome outcome;
        std::string content;
    } rows[] = {
        {false, 200ms, [](NamedPipe& pipe, int call) { return call > 1 || pipe.write("x"); }, Outcome::TooSlow, ""},
        {false, 1min, [](NamedPipe&, int call) { return call < 3; }, Outcome::Interrupted, ""},
        {false, 1min,
         [](NamedPipe& pipe, int) {
             if (pipe.write("line 1\r\n"))
                 pipe.close();
             return true;
         },
         Outcome::Read, "line 1\r\n"},
        {true, 1min, {}, Outcome::NotRegular, ""},
    };
    for (const auto& row : rows) {
        NamedPipe pipe;
        ASSERT_TRUE(pipe.made());
        int calls = 0;
        const WholeFile file = readWholeFile(
            pipe.name(), {100, row.regularOnly, row.limit, [&] { return row.keepWaiting(pipe, ++calls); }});
        EXPECT_EQ(file.outcome, row.outcome) << int(row.outcome);
        EXPECT_EQ(file.content, row.content);
    }
}

// Whether a folder keeps the files is decided by trying: the read-only
// attribute, which Windows ignores for folders, does not say no, and the
// probe leaves nothing behind.
TEST(UserFoldersWindows, FolderIsTried)
{
    const ScratchFolder folder;
    ASSERT_TRUE(::SetFileAttributesW(folder.path().c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(folderTakesNewFiles(folder.path().u8string()));
    ::SetFileAttributesW(folder.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(fs::is_empty(folder.path()));
    EXPECT_FALSE(folderTakesNewFiles(folder.path("missing")));
}

// Sets a value of the user's shell folders for as long as it lives.
class ShellFolderSetting {
public:
    ShellFolderSetting(const wchar_t* name, const std::wstring& value) : name_(name)
    {
        saved_ = ::RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type_, old_, &oldSize_) == 0;
        set_ = saved_ && write(REG_SZ, value.c_str(), DWORD((value.size() + 1) * sizeof(wchar_t)));
    }
    ~ShellFolderSetting()
    {
        if (saved_)
            write(type_, old_, oldSize_);
    }
    bool set() const { return set_; }

private:
    static constexpr const wchar_t* kKey =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    bool write(DWORD type, const void* data, DWORD size) const
    {
        return ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, name_, type, data, size) == 0;
    }

    const wchar_t* name_;
    DWORD type_ = 0;
    wchar_t old_[1024] = {};
    DWORD oldSize_ = sizeof old_;
    bool saved_ = false, set_ = false;
};

// The user's place is below the folder the system keeps for the user's
// roaming files, whole also where its name goes beyond ASCII, and whatever
// the environment says: a child whose APPDATA names another folder still
// finds the system's. (A child, since the system may keep the folder it found
// for the rest of a process.)
TEST(UserFoldersWindows, UsersPlaceIsTheSystemsRoamingFolder)
{
    const ScratchFolder scratch;
    const fs::path profile = fs::u8path(scratch.path("Pr\xc3\xbc"
                                                     "fung \xce\xa9"));
    const fs::path roaming = profile / "AppData" / "Roaming";
    fs::create_directories(roaming);
    std::wstring environment;
    for (const wchar_t* entry = ::GetEnvironmentStringsW(); *entry; entry += std::wcslen(entry) + 1)
        if (_wcsnicmp(entry, L"APPDATA=", 8) != 0 && _wcsnicmp(entry, L"USERPROFILE=", 12) != 0)
            environment += entry + std::wstring(1, L'\0');
    environment += L"APPDATA=" + (profile / "elsewhere").wstring() + L'\0';
    environment += L"USERPROFILE=" + profile.wstring() + L'\0';
    ChildRun run;
    {
        const ShellFolderSetting setting(L"AppData", roaming.wstring());
        ASSERT_TRUE(setting.set());
        run = runSelf(wideFromUtf8(kUserFolder), environment);
    }
    EXPECT_EQ(run.status, 0u);
    EXPECT_EQ(run.output, (roaming / "AVRBootloaderKorvel").u8string());
}

// The program's resources, compiled into this test as into the program: the
// version of the project, the icon in the sizes Windows asks for, and the
// manifest, which makes UTF-8 the program's ANSI code page.
TEST(WindowsResources, VersionIconAndManifest)
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
    EXPECT_EQ(std::wstring(product), wideFromUtf8(KORVEL_VERSION_TEXT));
    for (const int size : {16, 32, 48, 128}) {
        const HANDLE icon = ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0);
        EXPECT_NE(icon, nullptr) << size;
        if (icon)
            ::DestroyIcon(static_cast<HICON>(icon));
    }
    EXPECT_NE(::FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)), nullptr);
    EXPECT_EQ(::GetACP(), UINT(CP_UTF8));
}

// File names as the system's functions get them: from the length at which a
// folder's name fails the classic limit of 260 characters, absolute in the
// "\\?\" form, which has no limit, with "/" and ".." resolved as it needs
// them; shorter ones and those in a device form stay as given. A file under
// such a name is read whole.
TEST(WindowsText, LongPathsTakeTheFormWithoutALimit)
{
    const std::string folder = std::string(kLongPathFrom, 'f');
    const struct {
        std::string given;
        std::string expected;
    } rows[] = {
        {"C:\\short\\name.hex", "C:\\short\\name.hex"},
        {"C:\\" + folder + "\\a.hex", "\\\\?\\C:\\" + folder + "\\a.hex"},
        {"C:/" + folder + "/x/../a.hex", "\\\\?\\C:\\" + folder + "\\a.hex"},
        {"\\\\server\\share\\" + folder, "\\\\?\\UNC\\server\\share\\" + folder},
        {"\\\\?\\C:\\" + folder, "\\\\?\\C:\\" + folder},
        {"\\\\.\\COM3", "\\\\.\\COM3"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(utf8FromWide(systemPathOf(row.given)), row.expected) << row.given;

    const fs::path deep = fs::temp_directory_path() / ("korvel-long-" + std::to_string(::GetCurrentProcessId()));
    const std::wstring file = systemPathOf((deep / folder / "app.hex").u8string());
    ASSERT_TRUE(::CreateDirectoryW(systemPathOf(deep.u8string()).c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(systemPathOf((deep / folder).u8string()).c_str(), nullptr));
    std::ofstream(fs::path(file), std::ios::binary) << ":00000001FF\r\n";
    EXPECT_EQ(readWholeFile((deep / folder / "app.hex").u8string(), {100}).content, ":00000001FF\r\n");
    ::DeleteFileW(file.c_str());
    ::RemoveDirectoryW(systemPathOf((deep / folder).u8string()).c_str());
    ::RemoveDirectoryW(systemPathOf(deep.u8string()).c_str());
}

// A record file: a new one is made and appended to, also under a name longer
// than 260 characters; a folder is refused, and so is a file whose folder is
// missing, with the system's words for it.
TEST(AppendFileWindows, AppendsToFilesOnly)
{
    const fs::path folder = fs::temp_directory_path() / ("korvel-log-" + std::to_string(::GetCurrentProcessId()));
    const std::string longName = std::string(kLongPathFrom, 'l');
    fs::create_directories(fs::path(systemPathOf(folder.u8string())) / longName);
    const struct {
        fs::path path;
        bool opens;
    } rows[] = {
        {folder / "run.log", true},
        {folder / longName / "run.log", true},
        {folder, false},
        {folder / "missing" / "run.log", false},
    };
    for (const auto& row : rows) {
        const std::string path = row.path.u8string();
        {
            AppendFile file;
            ASSERT_EQ(file.open(path), row.opens) << path << ": " << file.reason();
            if (!row.opens) {
                EXPECT_FALSE(file.reason().empty()) << path;
                continue;
            }
            EXPECT_TRUE(file.append("one\r\n")) << path;
        }
        AppendFile again;
        ASSERT_TRUE(again.open(path));
        EXPECT_TRUE(again.append("two\r\n"));
        EXPECT_EQ(readWholeFile(path, {100}).content, "one\r\ntwo\r\n") << path;
    }
    ::DeleteFileW(systemPathOf((folder / longName / "run.log").u8string()).c_str());
    ::RemoveDirectoryW(systemPathOf((folder / longName).u8string()).c_str());
    fs::remove_all(folder);
}

// Each of the console's control events, the stop it is, and whether the
// handler holds the program until it has ended by itself: the system ends a
// program once the handler of a close returns. Logoff and shutdown reach
// services only and are left to the system. The exit statuses are those a
// POSIX shell gives the matching signals.
TEST(StopRequestsWindows, ControlEventsAndTheirStops)
{
    const struct {
        DWORD event;
        StopRequest request;
        bool held;
        int status;
    } rows[] = {
        {CTRL_C_EVENT, StopRequest::Interrupt, false, 130}, {CTRL_BREAK_EVENT, StopRequest::Interrupt, false, 130},
        {CTRL_CLOSE_EVENT, StopRequest::Hangup, true, 129}, {CTRL_LOGOFF_EVENT, StopRequest::None, false, 0},
        {CTRL_SHUTDOWN_EVENT, StopRequest::None, false, 0},
    };
    for (const auto& row : rows) {
        const ControlEventAnswer answer = answerToControlEvent(row.event);
        EXPECT_EQ(answer.request, row.request) << row.event;
        EXPECT_EQ(answer.heldUntilExit, row.held) << row.event;
        EXPECT_EQ(exitStatusOf(answer.request), row.status) << row.event;
    }
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

// A Ctrl-C reaches every process of the console, each on a thread of its own
// and at a moment of its own, also after the case that gave it has ended:
// this process lets every one pass, for the rest of its life.
void letControlEventsPass()
{
    static const bool registered = ::SetConsoleCtrlHandler(swallowControlEvent, TRUE) != 0;
    (void)registered;
}

TEST(ConsoleStop, CtrlCEndsAPipeRead)
{
    if (!isTerminal(StandardStream::Output))
        GTEST_SKIP() << "no console: korvel_system_console_test runs this in one";
    letControlEventsPass();
    EXPECT_EXIT(stopDuringPipeRead(CTRL_C_EVENT), testing::ExitedWithCode(130), "");
}

// Windows empties a program's table of control handlers when the program
// joins a console (AttachConsole, AllocConsole, FreeConsole); wine keeps it.
// The child of ConsoleJoin gets Windows' way: its imports of AttachConsole and
// SetConsoleCtrlHandler are replaced by ones that forget the handlers at a
// join, so that a handler registered before the join is lost there too.
namespace consolereset {

using AttachFunction = BOOL(WINAPI*)(DWORD);
using HandlerFunction = BOOL(WINAPI*)(PHANDLER_ROUTINE, BOOL);
AttachFunction realAttach = nullptr;
HandlerFunction realSetHandler = nullptr;
std::vector<PHANDLER_ROUTINE> handlers;

BOOL WINAPI setHandler(PHANDLER_ROUTINE handler, BOOL add)
{
    handlers.erase(std::remove(handlers.begin(), handlers.end(), handler), handlers.end());
    if (add && handler)
        handlers.push_back(handler);
    return realSetHandler(handler, add);
}

BOOL WINAPI attach(DWORD process)
{
    for (const PHANDLER_ROUTINE handler : handlers)
        realSetHandler(handler, FALSE);
    handlers.clear();
    return realAttach(process);
}

// Points this executable's import of `name` at `replacement`; gives what it
// pointed at, null when the executable does not import it.
void* replaceImport(const char* name, void* replacement)
{
    auto* const base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    const auto* const headers =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const DWORD imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports); module->Name != 0; ++module) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal) ||
                std::strcmp(reinterpret_cast<const char*>(
                                reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name),
                            name) != 0)
                continue;
            DWORD protection = 0;
            ::VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection);
            void* const original = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            ::VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            return original;
        }
    }
    return nullptr;
}

}  // namespace consolereset

const char kJoinedText[] = "korvel joined its parent's console";

// The child of ConsoleJoin: started without a console and without standard
// streams, it receives the stop requests with its parent's console, writes
// there and takes the Ctrl-C given to that console. Its status is the stop's
// (130), or the system's for a Ctrl-C that found no handler of ours.
int joinConsoleAndStop()
{
    using namespace consolereset;
    realAttach = reinterpret_cast<AttachFunction>(replaceImport("AttachConsole", reinterpret_cast<void*>(attach)));
    realSetHandler =
        reinterpret_cast<HandlerFunction>(replaceImport("SetConsoleCtrlHandler", reinterpret_cast<void*>(setHandler)));
    if (!realAttach || !realSetHandler)
        return 2;
    StopRequests stops(ParentConsole::Join);
    standardOutput() << kJoinedText << std::flush;
    if (!::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0))
        return 3;
    // Bounded: without a handler of ours the system has ended this process.
    ::WaitForSingleObject(stopWaitable(), 60000);
    return exitStatusOf(stopRequested());
}

// The console's cursor; none without a console.
std::optional<COORD> consoleCursor()
{
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!isTerminal(StandardStream::Output) || !::GetConsoleScreenBufferInfo(::GetStdHandle(STD_OUTPUT_HANDLE), &info))
        return std::nullopt;
    return info.dwCursorPosition;
}

// The `count` characters the console shows from `at` on; then ends the line.
std::wstring shownFrom(COORD at, std::size_t count)
{
    std::wstring shown(count, L'\0');
    DWORD read = 0;
    ::ReadConsoleOutputCharacterW(::GetStdHandle(STD_OUTPUT_HANDLE), shown.data(), DWORD(count), at, &read);
    standardOutput() << "\n" << std::flush;
    return shown.substr(0, read);
}

// A window program started from a console for a command-line run joins that
// console: its text shows there, and Ctrl-C in the console stops it, since
// its handler was registered after the join.
TEST(ConsoleJoin, ChildJoinsItsParentsConsoleAndTakesItsCtrlC)
{
    const auto cursor = consoleCursor();
    if (!cursor)
        GTEST_SKIP() << "no console: korvel_system_console_test runs this in one";
    letControlEventsPass();
    const ChildRun run = runSelf(wideFromUtf8(kJoinConsole), {}, true);
    // Without a handler of ours Windows ends the child with 0xC000013A, wine with 0.
    EXPECT_EQ(run.status, 130u) << "the Ctrl-C found no handler of ours";
    EXPECT_EQ(shownFrom(*cursor, std::strlen(kJoinedText)), wideFromUtf8(kJoinedText));
}

// Text reaches the console as its characters, whatever its code page; what
// the console shows is read back from its screen.
TEST(ConsoleText, ShowsEveryCharacter)
{
    const auto cursor = consoleCursor();
    if (!cursor)
        GTEST_SKIP() << "no console: korvel_system_console_test runs this in one";
    // "Prüfung ✓ Ω", written in two pieces that split the ü between them.
    const std::string text = "Pr\xc3\xbc"
                             "fung \xe2\x9c\x93 \xce\xa9";
    standardOutput() << text.substr(0, 3) << std::flush << text.substr(3) << std::flush;
    const std::wstring expected = L"Pr\u00fcfung \u2713 \u03a9";
    EXPECT_EQ(shownFrom(*cursor, expected.size()), expected) << "console code page " << ::GetConsoleOutputCP();
}

// The arguments of a child started with a name outside the ANSI code page
// arrive whole in UTF-8, name the file that was made under that name, and
// come back through a pipe as UTF-8 bytes.
TEST(ProgramArguments, WideCommandLineArrivesAsUtf8)
{
    const std::string name = "Pr\xc3\xbc"
                             "fung \xce\xa9\xe2\x9c\x93.hex";
    const ScratchFolder folder;
    const fs::path file = fs::u8path(folder.write(name, ":00000001FF\r\n"));
    const ChildRun run = runSelf(wideFromUtf8(kEchoArgs) + L" \"" + file.wstring() + L"\" plain");
    EXPECT_EQ(run.output, file.u8string() + "\n:00000001FF\r\n|plain\n");
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
    using namespace korvel::system;
    if (argc > 1 && std::strcmp(argv[1], kEchoArgs) == 0)
        return echoArguments(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], kUserFolder) == 0) {
        standardOutput() << userFilesFolder() << std::flush;
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], kJoinConsole) == 0)
        return joinConsoleAndStop();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
