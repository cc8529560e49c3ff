#pragma once

// Text at the seam to the Windows API, for the *Windows.cpp files only: the
// program keeps its text in UTF-8, the system's wide functions take UTF-16.
#include <string>
#include <string_view>

namespace korvel::system {

std::wstring wideFromUtf8(std::string_view text);
std::string utf8FromWide(std::wstring_view text);
// The system's words for an error code of GetLastError(), in UTF-8, without
// the line end the system adds.
std::string systemErrorText(unsigned long error);

}  // namespace korvel::system
