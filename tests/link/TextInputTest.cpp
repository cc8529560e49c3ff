#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "link/BootloaderLink.h"
#include "link/DiskHexFiles.h"

namespace korvel::link {
namespace {

namespace fs = std::filesystem;

// CR LF, LF and a lone CR each end a line; every other byte stays; more lines
// than allowed give none.
TEST(HexLines, LineEndsAndTheMostLines)
{
    using Lines = std::vector<std::string>;
    const std::pair<std::string, std::optional<Lines>> rows[] = {
        {"", Lines{}},
        {"a\r\nb\r\n", Lines{"a", "b"}},
        {"a\nb", Lines{"a", "b"}},
        {"a\r\r\nb\n\n", Lines{"a", "", "b", ""}},
        {"\n\r", Lines{"", ""}},
        {std::string("a\0b\xff\n", 5), Lines{std::string("a\0b\xff", 4)}},
        {"\n\n\n\n\n", std::nullopt},
        {"a\nb\nc\nd\ne\n", std::nullopt},
    };
    for (const auto& [text, lines] : rows)
        EXPECT_EQ(splitHexLines(text, 4), lines) << text;
}

// What reading a file gave: its bytes, or why it failed.
std::string ReadOutcome(HexFiles& files, const std::string& path)
{
    try {
        return "read " + files.read(path);
    } catch (const FileOpenError& error) {
        return std::string("not opened: ") + error.what() + " at " + error.absolutePath;
    } catch (const FileError& error) {
        return "not read: cause " + std::to_string(static_cast<int>(error.cause));
    }
}

// Files are read whole, byte for byte, and every wait for a FIFO's writer ends.
TEST(DiskHexFiles, ReadsWholeAndSaysWhyNot)
{
    const fs::path dir = fs::temp_directory_path() / ("korvel-hex-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string bytes("a\0b\xff\r\n", 6);
    std::ofstream(dir / "app.hex", std::ios::binary) << bytes;
    const std::string fifo = (dir / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string relative = "korvel-missing-" + std::to_string(::getpid()) + ".hex";
    const std::string tooSlow = "not read: cause " + std::to_string(static_cast<int>(FileError::Cause::TooSlow));
    const std::pair<std::string, std::string> rows[] = {
        {(dir / "app.hex").string(), "read " + bytes},
        {relative, "not opened: No such file or directory at " + (fs::current_path() / relative).string()},
        {dir.string(), "not opened: Is a directory at " + dir.string()},
        {"/dev/zero", "not read: cause " + std::to_string(static_cast<int>(FileError::Cause::TooLarge))},
        {fifo, tooSlow},  // no writer: the open does not wait for one
    };
    DiskHexFiles files(std::chrono::milliseconds(50));
    for (const auto& [path, outcome] : rows)
        EXPECT_EQ(ReadOutcome(files, path), outcome) << path;
    // A writer that wrote but never closes.
    const int writer = ::open(fifo.c_str(), O_RDWR);
    ASSERT_EQ(::write(writer, "x", 1), 1);
    EXPECT_EQ(ReadOutcome(files, fifo), tooSlow);
    ::close(writer);
    fs::remove_all(dir);
}

TEST(BootVersion, LeadingNumberAsFloat)
{
    struct Row {
        std::string text;
        float version;
    };
    const Row rows[] = {
        {"1.28", 1.28f},   {" \t\n1.28?", 1.28f},
        {"1 .2 8", 1.28f}, {"1.3.5", 1.3f},
        {"-2.5x", -2.5f},  {"+7", 7.0f},
        {".5", 0.5f},      {"12", 12.0f},
        {"", 0.0f},        {"abc1.3", 0.0f},
        {".", 0.0f},       {"-", 0.0f},
        {"\r1.3", 0.0f},   {"0.0000000000000000000000000000000000000000000000001", 0.0f},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(parseBootVersion(row.text), row.version) << row.text;
    }
    EXPECT_TRUE(std::isinf(parseBootVersion(std::string(60, '9'))));
    EXPECT_FALSE(parseBootVersion("1.28") < 1.28f);
    EXPECT_TRUE(parseBootVersion("1.2799999") < 1.28f);
}

TEST(BootVersion, DisplayForm)
{
    struct Row {
        float version;
        std::string shown;
    };
    const Row rows[] = {
        {1.3f, "1.3"}, {1.28f, "1.28"}, {0.0f, "0"}, {2.0f, "2"}, {1.2345678f, "1.234568"}, {-1.5f, "-1.5"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(formatBootVersion(row.version), row.shown);
}

}  // namespace
}  // namespace korvel::link
