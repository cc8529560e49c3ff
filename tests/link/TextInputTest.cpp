#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "link/BootloaderLink.h"
#include "link/DiskHexFiles.h"

namespace korvel::link {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> ReadAll(HexFile& file)
{
    std::vector<std::string> lines;
    while (!file.atEnd())
        lines.push_back(file.readLine());
    return lines;
}

// CR LF, LF and a lone CR each end a line; bytes are kept as they are, and a
// rewind reads the same lines again.
TEST(DiskHexFiles, LineEndsAndRewind)
{
    using Lines = std::vector<std::string>;
    const std::pair<std::string, Lines> rows[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\r\r\nb\n\n", {"a", "", "b", ""}},
        {"\n\r", {"", ""}},
        {std::string("a\0b\xff\n", 5), {std::string("a\0b\xff", 4)}},
    };
    const fs::path path = fs::temp_directory_path() / ("korvel-hex-" + std::to_string(::getpid()));
    DiskHexFiles files;
    for (const auto& [bytes, lines] : rows) {
        std::ofstream(path, std::ios::binary) << bytes;
        const auto file = files.open(path.string());
        ASSERT_TRUE(file);
        EXPECT_EQ(ReadAll(*file), lines) << bytes;
        file->rewind();
        EXPECT_EQ(ReadAll(*file), lines) << bytes;
    }
    fs::remove(path);
    EXPECT_EQ(files.open(path.string()), nullptr);
    EXPECT_EQ(files.open(fs::temp_directory_path().string()), nullptr);
    EXPECT_EQ(files.open(""), nullptr);
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
