#pragma once

#include <string>
#include <string_view>

namespace korvel::cmdline {

// The SHA-256 of the bytes, in lower-case hex (Qt Core computes it): what a
// run's records say went into a board.
std::string sha256Hex(std::string_view bytes);

}  // namespace korvel::cmdline
