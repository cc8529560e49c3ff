#pragma once

#include <string>

namespace korvel::manpage {

// Text made safe for a roff line: backslashes doubled as \e, and a leading
// '.' or '\'' (which roff reads as a request) shielded by \&. With
// `minusSigns`, every '-' becomes the minus sign \- that options are typed with.
std::string roffText(const std::string& text, bool minusSigns);

// The manual page AVRBootloaderKorvel(1) of the given version: the classic
// usage as the program shows it, then the help's sections.
std::string manualPage(const std::string& version);

}  // namespace korvel::manpage
