// The bootloader version: read from any answer text, then shown.
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "link/BootloaderLink.h"

using korvel::link::formatBootVersion;
using korvel::link::parseBootVersion;

namespace {

constexpr int kShownDigits = 7;

// Significant digits of the shortest text that reads back as `value`.
int shortestDigits(float value)
{
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific).ptr;
    int digits = 0;
    for (const char* c = text; c != end && *c != 'e'; ++c)
        digits += (*c >= '0' && *c <= '9');
    return digits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string answer(reinterpret_cast<const char*>(data), size);
    const float version = parseBootVersion(answer);
    FUZZ_CHECK(!std::isnan(version));

    const std::string shown = formatBootVersion(version);
    FUZZ_CHECK(!shown.empty() && shown.size() < 16);
    // The version text has no exponent, so a shown value only reads back when
    // it is shown without one; and seven digits carry it only when seven
    // digits are enough for this float.
    const bool plain = shown.find_first_not_of("-.0123456789") == std::string::npos;
    if (plain && shortestDigits(version) <= kShownDigits)
        FUZZ_CHECK(parseBootVersion(shown) == version);
    return 0;
}
