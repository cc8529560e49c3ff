#include "base/ForeignText.h"

#include <cstdint>

namespace korvel {

namespace {

void appendHex(std::string& out, const char* prefix, unsigned value, int digits)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    out += prefix;
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += kDigits[(value >> shift) & 0xfu];
}

// Length of the valid UTF-8 sequence that starts at `at` and its code point,
// or 0 when the bytes there are not valid UTF-8 (overlong forms, surrogates
// and values beyond U+10FFFF included).
std::size_t utf8Sequence(std::string_view text, std::size_t at, std::uint32_t& codePoint)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned lead = byte(at);
    std::size_t length = 0;
    std::uint32_t value = 0;
    std::uint32_t least = 0;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2, value = lead & 0x1fu, least = 0x80;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3, value = lead & 0x0fu, least = 0x800;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4, value = lead & 0x07u, least = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned next = byte(at + i);
        if ((next & 0xc0u) != 0x80u)
            return 0;
        value = (value << 6) | (next & 0x3fu);
    }
    if (value < least || value > 0x10ffff || (value >= 0xd800 && value <= 0xdfff))
        return 0;
    codePoint = value;
    return length;
}

}  // namespace

std::string escapedForeign(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const unsigned byte = static_cast<unsigned char>(text[at]);
        if (byte < 0x20 || byte == 0x7f) {
            appendHex(out, "\\x", byte, 2);
            ++at;
            continue;
        }
        if (byte < 0x80) {
            out += text[at++];
            continue;
        }
        std::uint32_t codePoint = 0;
        const std::size_t length = utf8Sequence(text, at, codePoint);
        if (length == 0) {
            appendHex(out, "\\x", byte, 2);
            ++at;
        } else if (codePoint <= 0x9f) {
            appendHex(out, "\\u", codePoint, 4);
            at += length;
        } else {
            out.append(text.substr(at, length));
            at += length;
        }
    }
    return out;
}

}  // namespace korvel
