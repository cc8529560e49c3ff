// The bootloader's version text on any bytes after its "G": the version is a
// number (never NaN), its display form is short printable ASCII, and reading
// a display form without exponent again gives the same version to its seven
// digits, ordered against 1.28 as the version is.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "link/BootloaderLink.h"
#include "link/Protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const float version = korvel::link::parseBootVersion(text);
    FUZZ_CHECK(!std::isnan(version));
    const std::string shown = korvel::link::formatBootVersion(version);
    FUZZ_CHECK(!shown.empty() && shown.size() <= 16);
    for (const char c : shown)
        FUZZ_CHECK(c > ' ' && c < 0x7F);
    // A display form with an exponent is for the eye alone: the version text
    // of a bootloader has none.
    const float again = korvel::link::parseBootVersion(shown);
    if (std::isinf(version)) {
        FUZZ_CHECK(shown == (version > 0 ? "inf" : "-inf"));
    } else if (shown.find('e') == std::string::npos) {
        FUZZ_CHECK(std::fabs(again - version) <= std::fabs(version) * 1e-6f);
        const float resend = korvel::link::protocol::kResendVersion;
        if (version != again)
            FUZZ_CHECK((version < resend) == (again < resend) || std::fabs(version - resend) <= resend * 1e-6f);
    }
    return 0;
}
