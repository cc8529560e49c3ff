#pragma once

// Text at the seam to the Windows API, for the *Windows.cpp files only: the
// program keeps its text in UTF-8, the system's wide functions take UTF-16.
#include <string>
#include <string_view>

namespace korvel::system {

std::wstring wideFromUtf8(std::string_view text);
std::string utf8FromWide(std::wstring_view text);
// A file name (UTF-8) as the system's wide functions take it. A name of
// kLongPathFrom characters or more, at which a folder's name already fails
// the classic limit, becomes absolute in the "\\?\" form ("\\?\UNC\"
// for a network share), which no length limit applies to, also where the
// system's long-path setting is off; shorter names stay as given.
std::wstring systemPathOf(std::string_view path);
inline constexpr std::size_t kLongPathFrom = 248;
// The system's words for an error code of GetLastError(), in UTF-8, without
// the line end the system adds.
std::string systemErrorText(unsigned long error);

}  // namespace korvel::system
