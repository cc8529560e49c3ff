#pragma once

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

// The text without the UTF-8 byte-order mark that Windows editors put at the
// start of a file.
inline std::string_view withoutByteOrderMark(std::string_view text)
{
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    return text.substr(0, byteOrderMark.size()) == byteOrderMark ? text.substr(byteOrderMark.size()) : text;
}

}  // namespace korvel
