#pragma once

#include <string>

namespace korvel::link::detail {

// Whether the received text holds the character anywhere (exact, case-sensitive).
inline bool Contains(const std::string& text, char c)
{
    return text.find(c) != std::string::npos;
}

// Whether it holds any of the characters.
inline bool ContainsAny(const std::string& text, const char* chars)
{
    return text.find_first_of(chars) != std::string::npos;
}

}  // namespace korvel::link::detail
