#pragma once

// The maker's texts shown by the information window. Whoever ships the product
// under another name changes them here and nowhere else.
namespace korvel::infowindow {

inline constexpr const char* kCompanyName = "Korvel Embedded";

// Two addresses, separated by a blank; the window wraps them onto two lines.
inline constexpr const char* kWebAddresses = "www.korvel.test shop.korvel.test";

inline constexpr const char* kRightsNotice = "\u00A9 2026 Korvel";

inline constexpr const char* kLiabilityDisclaimer =
    "Korvel Embedded supplies this program as it is, with no warranty of any kind, "
    "stated or implied. We do not promise that it suits your purpose, that it runs "
    "without faults or that it programs every target correctly. You use the "
    "program entirely at your own risk. Korvel Embedded shall not be liable for any "
    "damage, whether direct, indirect, incidental or consequential, including lost "
    "data, damaged hardware or lost profits, that results from using the program or "
    "from being unable to use it, even where we were told that such damage could "
    "occur. Where the law does not allow these exclusions, our whole liability is "
    "limited to the price you paid for the product. Copying or reselling the "
    "program without our written consent is not permitted.";

}  // namespace korvel::infowindow
