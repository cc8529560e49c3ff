#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace korvel {

// Whether the received text holds the character anywhere (exact, case-sensitive).
inline bool contains(const std::string& text, char c)
{
    return text.find(c) != std::string::npos;
}

// Whether it holds any of the characters.
inline bool containsAny(const std::string& text, const char* chars)
{
    return text.find_first_of(chars) != std::string::npos;
}

// The text without the leading and trailing characters of `blanks`.
inline std::string_view trimmed(std::string_view text, std::string_view blanks = " \t")
{
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

// The characters of a UTF-8 text: the bytes that begin one.
inline std::size_t utf8Length(std::string_view text)
{
    std::size_t characters = 0;
    for (const char c : text)
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return characters;
}

// The first / last `characters` characters of a UTF-8 text.
inline std::string_view utf8Head(std::string_view text, std::size_t characters)
{
    std::size_t end = 0;
    for (std::size_t seen = 0; end < text.size(); ++end) {
        if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80 && seen++ == characters)
            break;
    }
    return text.substr(0, end);
}
inline std::string_view utf8Tail(std::string_view text, std::size_t characters)
{
    return text.substr(utf8Head(text, utf8Length(text) - std::min(characters, utf8Length(text))).size());
}

// The text without the UTF-8 byte-order mark that Windows editors put at the
// start of a file.
inline std::string_view withoutByteOrderMark(std::string_view text)
{
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    return text.substr(0, byteOrderMark.size()) == byteOrderMark ? text.substr(byteOrderMark.size()) : text;
}

}  // namespace korvel
