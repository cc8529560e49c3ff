#include <gtest/gtest.h>

#include <cmath>

#include "link/BootloaderLink.h"

namespace korvel::link {
namespace {

// CR LF, LF and a lone CR each end a line, a line end at the end adds no line,
// every other byte stays, and more lines than allowed give none.
TEST(HexLines, LineEndsAndTheMostLines)
{
    const std::string text("a\r\r\nb\n\nc\0\xff\r\n", 12);
    EXPECT_EQ(splitHexLines(text, 5), (std::vector<std::string>{"a", "", "b", "", std::string("c\0\xff", 3)}));
    EXPECT_EQ(splitHexLines(text, 4), std::nullopt);
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
