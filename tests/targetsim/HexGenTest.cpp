#include "HexImage.h"
#include "IntelHex.h"
#include "SimTestSupport.h"

#include <gtest/gtest.h>

namespace {

struct HexGenCase {
    const char* name;
    std::size_t size;
    std::uint32_t address;
    int recordBytes;
    bool lineFeedOnly;
};

class HexGen : public ::testing::TestWithParam<HexGenCase> {
protected:
    void SetUp() override { dir = makeTempDir(); }
    void TearDown() override { removeTree(dir); }
    std::string dir;
};

TEST_P(HexGen, WritesValidRecordsThatRebuildTheData) {
    const HexGenCase& c = GetParam();
    const std::string hex = dir + "/out.hex";
    const std::string bin = dir + "/out.bin";
    std::vector<std::string> arguments{"--size", std::to_string(c.size), "--address", std::to_string(c.address),
                                       "--record-bytes", std::to_string(c.recordBytes), hex, "--bin", bin};
    if (c.lineFeedOnly) arguments.push_back("--lf");
    ASSERT_EQ(runHexgen(arguments), 0);

    const std::string text = readText(hex);
    const std::string lineEnd = c.lineFeedOnly ? "\n" : "\r\n";
    std::vector<intelhex::Record> records;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find(lineEnd, start);
        ASSERT_NE(end, std::string::npos) << "every line ends in the chosen line end";
        intelhex::Record record;
        ASSERT_EQ(intelhex::parseRecord(text.substr(start, end - start), record), intelhex::ParseError::None)
            << text.substr(start, end - start);
        records.push_back(record);
        start = end + lineEnd.size();
    }
    ASSERT_GE(records.size(), 2u);
    EXPECT_EQ(records.front().type, intelhex::ExtendedLinearAddress);
    EXPECT_EQ(intelhex::encodeRecord(records.back()), ":00000001FF");

    intelhex::HexImage image(c.address + c.size + 1);
    std::size_t linearRecords = 0;
    for (const auto& record : records) {
        EXPECT_TRUE(image.apply(record));
        if (record.type == intelhex::ExtendedLinearAddress) ++linearRecords;
        if (record.type == intelhex::Data) {
            EXPECT_LE(record.data.size(), static_cast<std::size_t>(c.recordBytes));
            EXPECT_LE(record.address + record.data.size(), 0x10000u) << "a record crosses a 64 KiB boundary";
        }
    }
    const std::size_t windows = c.size == 0 ? 1 : (c.address + c.size - 1) / 0x10000 - c.address / 0x10000 + 1;
    EXPECT_EQ(linearRecords, windows);

    const auto data = readBytes(bin);
    ASSERT_EQ(data.size(), c.size);
    std::vector<std::uint8_t> expected(c.address, 0xFF);
    expected.insert(expected.end(), data.begin(), data.end());
    EXPECT_EQ(image.bytes(), expected);
}

INSTANTIATE_TEST_SUITE_P(Layouts, HexGen,
                         ::testing::Values(HexGenCase{"AcrossA64KBoundary", 40, 0xFFF8, 16, false},
                                           HexGenCase{"LineFeedOnly", 1000, 0, 16, true},
                                           HexGenCase{"Empty", 0, 0, 16, false},
                                           HexGenCase{"WideRecordsSeveralWindows", 140000, 0x12345, 255, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct BadArguments {
    const char* program;
    std::vector<std::string> arguments;
};

class RejectsBadArguments : public ::testing::TestWithParam<BadArguments> {};

TEST_P(RejectsBadArguments, WithStatus2AndAMessage) {
    std::vector<std::string> command{GetParam().program};
    command.insert(command.end(), GetParam().arguments.begin(), GetParam().arguments.end());
    ChildProcess child(command);
    EXPECT_EQ(child.waitExit(5000), 2);
    EXPECT_FALSE(child.errorOutput().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Tools, RejectsBadArguments,
    ::testing::Values(BadArguments{KORVEL_HEXGEN_PATH, {"out.hex"}},
                      BadArguments{KORVEL_HEXGEN_PATH, {"--size", "10", "--record-bytes", "256", "out.hex"}},
                      BadArguments{KORVEL_HEXGEN_PATH, {"--size", "16", "--address", "0xFFFFFFF8", "out.hex"}},
                      BadArguments{KORVEL_TARGETSIM_PATH, {"--bogus"}},
                      BadArguments{KORVEL_TARGETSIM_PATH, {"--pace", "0"}},
                      BadArguments{KORVEL_TARGETSIM_PATH, {"--silent-line", "-1"}}));

}  // namespace
