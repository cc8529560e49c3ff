#include "HexImage.h"
#include "IntelHex.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "Tools.h"

namespace {

// Records within their size and 64 KiB window, in the chosen line end, that
// rebuild the generated data at its address.
TEST(HexGen, WritesValidRecordsThatRebuildTheData)
{
    struct Layout {
        std::size_t size;
        std::uint32_t address;
        int recordBytes;
        bool lineFeedOnly;
    };
    for (const Layout& c : {Layout{40, 0xFFF8, 16, true}, Layout{140000, 0x12345, 255, false}}) {
        SCOPED_TRACE(c.size);
        QTemporaryDir dir;
        QStringList arguments{"--size",
                              QString::number(c.size),
                              "--address",
                              QString::number(c.address),
                              "--record-bytes",
                              QString::number(c.recordBytes),
                              dir.filePath("out.hex"),
                              "--bin",
                              dir.filePath("out.bin")};
        if (c.lineFeedOnly)
            arguments << "--lf";
        ASSERT_EQ(runTool(QStringLiteral(KORVEL_HEXGEN_PATH), arguments), 0);

        const std::string text = fileContents(dir.filePath("out.hex")).toStdString();
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
        EXPECT_EQ(intelhex::encodeRecord(records.back()), ":00000001FF");

        intelhex::HexImage image(c.address + c.size + 1);
        for (const auto& record : records) {
            EXPECT_TRUE(image.apply(record));
            if (record.type == intelhex::Data) {
                EXPECT_LE(record.data.size(), static_cast<std::size_t>(c.recordBytes));
                EXPECT_LE(record.address + record.data.size(), 0x10000u) << "a record crosses a 64 KiB boundary";
            }
        }
        const QByteArray data = fileContents(dir.filePath("out.bin"));
        ASSERT_EQ(std::size_t(data.size()), c.size);
        std::vector<std::uint8_t> expected(c.address, 0xFF);
        expected.insert(expected.end(), data.begin(), data.end());
        EXPECT_EQ(image.bytes(), expected);
    }
}

}  // namespace
