#pragma once

#include <cstdint>
#include <string_view>

namespace toolargs {

// A non-negative integer written in decimal or, with a 0x prefix, in hex; the whole
// text must be the number.
bool parseUnsigned(std::string_view text, std::uint64_t& value);

}  // namespace toolargs
