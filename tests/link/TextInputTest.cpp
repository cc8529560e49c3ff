#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "link/BootloaderLink.h"
#include "link/DiskHexFiles.h"

namespace korvel::link {
namespace {

namespace fs = std::filesystem;

// CR LF, LF and a lone CR each end a line, a line end at the end adds no line,
// every other byte stays, and more lines than allowed give none.
TEST(HexLines, LineEndsAndTheMostLines)
{
    const std::string text("a\r\r\nb\n\nc\0\xff\r\n", 12);
    EXPECT_EQ(splitHexLines(text, 5), (std::vector<std::string>{"a", "", "b", "", std::string("c\0\xff", 3)}));
    EXPECT_EQ(splitHexLines(text, 4), std::nullopt);
}

// Why reading a file failed.
std::string readOutcome(HexFiles& files, const std::string& path)
{
    try {
        files.read(path);
        return "read";
    } catch (const FileOpenError& error) {
        return std::string("not opened: ") + error.what() + " at " + error.absolutePath();
    } catch (const FileError& error) {
        return "not read: cause " + std::to_string(static_cast<int>(error.cause()));
    }
}

// Why a file was not read; every wait for a FIFO's writer ends. (The console
// runs read files and pipes byte for byte.)
TEST(DiskHexFiles, SaysWhyAFileWasNotRead)
{
    const fs::path dir = fs::temp_directory_path() / ("korvel-hex-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string fifo = (dir / "fifo").string(), big = (dir / "big.hex").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ::close(::open(big.c_str(), O_CREAT | O_WRONLY, 0600));
    fs::resize_file(big, protocol::kMostHexFileBytes + 1);  // sparse: it takes no room on the disk
    const std::string relative = "korvel-missing-" + std::to_string(::getpid()) + ".hex";
    const auto notRead = [](FileError::Cause cause) { return "not read: cause " + std::to_string(int(cause)); };
    const std::pair<std::string, std::string> rows[] = {
        {relative, "not opened: No such file or directory at " + (fs::current_path() / relative).string()},
        {dir.string(), "not opened: Is a directory at " + dir.string()},
        {big, notRead(FileError::Cause::TooLarge)},
        {fifo, notRead(FileError::Cause::TooSlow)},  // no writer: the open does not wait for one
    };
    DiskHexFiles files(std::chrono::milliseconds(50));
    for (const auto& [path, outcome] : rows)
        EXPECT_EQ(readOutcome(files, path), outcome) << path;
    // A writer that wrote but never closes.
    const int writer = ::open(fifo.c_str(), O_RDWR);
    ASSERT_EQ(::write(writer, "x", 1), 1);
    EXPECT_EQ(readOutcome(files, fifo), notRead(FileError::Cause::TooSlow));
    ::close(writer);
    fs::remove_all(dir);
}

// The leading number of the answer, as a 32-bit float.
TEST(BootVersion, LeadingNumberAsFloat)
{
    const std::pair<std::string, float> rows[] = {
        {" \t\n1.28?", 1.28f}, {"1 .2 8", 1.28f}, {"1.3.5", 1.3f}, {"-2.5x", -2.5f},
        {".5", 0.5f},          {"abc1.3", 0.0f},  {".", 0.0f},     {"\r1.3", 0.0f},
    };
    for (const auto& [text, version] : rows)
        EXPECT_EQ(parseBootVersion(text), version) << text;
    EXPECT_EQ(parseBootVersion("0." + std::string(50, '0') + "1"), 0.0f);
    EXPECT_TRUE(std::isinf(parseBootVersion(std::string(60, '9'))));
    EXPECT_TRUE(parseBootVersion("1.2799999") < 1.28f);
}

}  // namespace
}  // namespace korvel::link
