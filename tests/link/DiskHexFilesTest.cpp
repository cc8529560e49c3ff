#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "link/DiskHexFiles.h"

namespace korvel::link {
namespace {

namespace fs = std::filesystem;

class DiskHexFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("korvel-hex-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                   "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string write(const std::string& name, const std::string& bytes) {
        const fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    static std::vector<std::string> readAll(HexFile& file) {
        std::vector<std::string> lines;
        while (!file.atEnd()) lines.push_back(file.readLine());
        return lines;
    }

    fs::path folder_;
    DiskHexFiles files_;
};

TEST_F(DiskHexFilesTest, LineEnds) {
    using Lines = std::vector<std::string>;
    struct Row {
        std::string bytes;
        Lines lines;
    };
    const Row rows[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\r\r\nb\n\n", {"a", "", "b", ""}},
        {"\n", {""}},
        {"\n\r", {"", ""}},
        {std::string("a\0b\xff\n", 5), {std::string("a\0b\xff", 4)}},
    };
    for (const Row& row : rows) {
        const auto file = files_.open(write("lines.hex", row.bytes));
        ASSERT_TRUE(file);
        EXPECT_EQ(readAll(*file), row.lines) << row.bytes;
    }
}

TEST_F(DiskHexFilesTest, RewindReadsTheSameLinesAgain) {
    const auto file = files_.open(write("two.hex", ":01\r\n:02\r\n"));
    ASSERT_TRUE(file);
    const auto first = readAll(*file);
    file->rewind();
    EXPECT_EQ(readAll(*file), first);
    EXPECT_EQ(first.size(), 2u);
}

TEST_F(DiskHexFilesTest, WhatCannotBeOpened) {
    EXPECT_EQ(files_.open((folder_ / "missing.hex").string()), nullptr);
    EXPECT_EQ(files_.open(folder_.string()), nullptr);
    EXPECT_EQ(files_.open(""), nullptr);
}

}  // namespace
}  // namespace korvel::link
