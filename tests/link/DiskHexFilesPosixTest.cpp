// HEX files from FIFOs and pipes, on POSIX systems.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ScratchFolder.h"
#include "link/DiskHexFiles.h"
#include "system/StopRequests.h"

namespace korvel::link {
namespace {

namespace fs = std::filesystem;

// Why reading a file failed.
std::string readOutcome(HexFiles& files, const std::string& path, const HexFiles::KeepWaiting& keepWaiting = {})
{
    try {
        files.read(path, keepWaiting);
        return "read";
    } catch (const FileOpenError& error) {
        return std::string("not opened: ") + error.what() + " at " + error.absolutePath();
    } catch (const FileError& error) {
        return "not read: cause " + std::to_string(static_cast<int>(error.cause()));
    }
}

std::string notRead(FileError::Cause cause)
{
    return "not read: cause " + std::to_string(int(cause));
}

// A folder of its own with a FIFO in it.
struct FifoDir : ScratchFolder {
    FifoDir() : fifo(path("fifo")), made(::mkfifo(fifo.c_str(), 0600) == 0) {}
    const std::string fifo;
    const bool made;
};

// Why a file was not read; every wait for a FIFO's writer ends. (The console
// runs read files and pipes byte for byte.)
TEST(DiskHexFiles, SaysWhyAFileWasNotRead)
{
    const FifoDir dir;
    ASSERT_TRUE(dir.made);
    const std::string big = dir.write("big.hex", "");
    fs::resize_file(big, protocol::kMostHexFileBytes + 1);  // sparse: it takes no room on the disk
    const std::string relative = "korvel-missing-" + std::to_string(::getpid()) + ".hex";
    const std::pair<std::string, std::string> rows[] = {
        {relative, "not opened: No such file or directory at " + (fs::current_path() / relative).string()},
        {dir.path().string(), "not opened: Is a directory at " + dir.path().string()},
        {big, notRead(FileError::Cause::TooLarge)},
        {dir.fifo, notRead(FileError::Cause::TooSlow)},  // no writer: the open does not wait for one
    };
    DiskHexFiles files(std::chrono::milliseconds(50));
    for (const auto& [path, outcome] : rows)
        EXPECT_EQ(readOutcome(files, path), outcome) << path;
    // A writer that wrote but never closes.
    const int writer = ::open(dir.fifo.c_str(), O_RDWR);
    ASSERT_EQ(::write(writer, "x", 1), 1);
    EXPECT_EQ(readOutcome(files, dir.fifo), notRead(FileError::Cause::TooSlow));
    ::close(writer);
}

// The wait for a writer that never finishes ends at once: when the caller
// (Cancel in the window) says so, and when a stop signal comes, long before
// the minute of its limit.
TEST(DiskHexFiles, WaitForAWriterEndsAtCancelAndAtAStop)
{
    const FifoDir dir;
    ASSERT_TRUE(dir.made);
    const int writer = ::open(dir.fifo.c_str(), O_RDWR);
    ASSERT_EQ(::write(writer, "x", 1), 1);
    DiskHexFiles files(std::chrono::minutes(1));
    int calls = 0;
    EXPECT_EQ(readOutcome(files, dir.fifo, [&calls] { return ++calls < 3; }), notRead(FileError::Cause::Interrupted));
    EXPECT_EQ(calls, 3);
    // The stop stays noted in the process: the child of a death test takes it.
    EXPECT_EXIT(
        {
            system::StopRequests stops;
            const std::string outcome = readOutcome(files, dir.fifo, [] {
                ::kill(::getpid(), SIGTERM);
                return true;
            });
            std::exit(outcome == notRead(FileError::Cause::Interrupted) &&
                              system::stopRequested() == system::StopRequest::Terminate
                          ? 0
                          : 1);
        },
        testing::ExitedWithCode(0), "");
    ::close(writer);
}

}  // namespace
}  // namespace korvel::link
