#include "HexImage.h"
#include "link/IntelHex.h"

#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>

#include "Tools.h"

namespace {

// Records in CR LF lines, within their size and their 64 KiB window (the data
// starts 8 bytes below a boundary and spans extended addresses), that rebuild
// the generated data at its address.
TEST(HexGen, WritesValidRecordsThatRebuildTheData)
{
    const std::size_t size = 140000;
    const std::uint32_t address = 0xFFF8;
    QTemporaryDir dir;
    QStringList arguments = QStringLiteral("--size 140000 --address 65528 --record-bytes 255 --bin").split(' ');
    arguments << dir.filePath("out.bin") << dir.filePath("out.hex");
    ASSERT_EQ(runTool(QStringLiteral(KORVEL_HEXGEN_PATH), arguments), 0);

    std::istringstream text(fileContents(dir.filePath("out.hex")).toStdString());
    korvel::intelhex::HexImage image(address + size + 1);
    korvel::intelhex::Record record;
    for (std::string line; std::getline(text, line);) {
        ASSERT_EQ(line.back(), '\r');
        line.pop_back();
        ASSERT_FALSE(korvel::intelhex::parseRecord(line, record)) << line;
        EXPECT_TRUE(image.apply(record));
        const bool inWindow = record.type != korvel::intelhex::Data || record.address + record.data.size() <= 0x10000u;
        EXPECT_TRUE(record.data.size() <= 255u && inWindow) << line;
    }
    EXPECT_EQ(korvel::intelhex::encodeRecord(record), ":00000001FF");
    const QByteArray data = fileContents(dir.filePath("out.bin"));
    ASSERT_EQ(std::size_t(data.size()), size);
    std::vector<std::uint8_t> expected(address + size, 0xFF);
    std::copy(data.begin(), data.end(), expected.begin() + address);
    EXPECT_EQ(image.bytes(), expected);
}

}  // namespace
