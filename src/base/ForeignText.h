#pragma once

#include <string>
#include <string_view>

namespace korvel {

// Text that did not come from this program (file names, process names, device
// descriptions, the bootloader's version text) made safe to print or show:
// every control character is written out instead of reaching a terminal or a
// window, where it could move the cursor, change the title or clear the screen.
// The text is read as UTF-8:
// - C0 controls and DEL become \x followed by two lower-case hex digits
//   ("\x1b", "\x0a", "\x7f");
// - C1 controls (U+0080 to U+009F) become \u and four hex digits ("\u009b");
// - a byte that is not part of valid UTF-8 becomes \x and its two hex digits
//   ("\xe9" for a Latin-1 "é"), so nothing is lost or guessed;
// - everything else, backslashes included, stays as it is.
std::string escapedForeign(std::string_view text);

}  // namespace korvel
