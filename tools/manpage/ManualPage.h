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

// The manual page korvel-targetsim(1) of the given version, made from the
// simulator's usage text: its first line the usage, its second what it does;
// then lines "  --option ARG  what it does", a line indented further
// continuing the one before; lines after them are notes.
std::string simulatorManualPage(const std::string& version, const std::string& usage);

}  // namespace korvel::manpage
