#pragma once

#include <string>

namespace korvel::system {

// The local time of day to the second with its offset from UTC, as a
// record's lines are stamped with it: "2026-12-07 23:10:05 +0100". One
// implementation per system.
std::string localTimeText();

}  // namespace korvel::system
