// The settings reader on any file content. The first byte chooses how many
// ports the list holds (0 to 16); the rest is the content of the file.
#include <QByteArray>

#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "settings/SettingsFormat.h"

using korvel::settings::formatSettings;
using korvel::settings::parseSettings;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int portCount = data[0] % 17;
    const QByteArray content(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    const auto settings = parseSettings(content, portCount);
    if (!settings)
        return 0;
    FUZZ_CHECK(settings->comListPosition >= -1 && settings->comListPosition < portCount);
    // Check boxes hold 0 (not ticked), 1 (ticked) or 2 (greyed).
    FUZZ_CHECK(settings->flashCheck >= 0 && settings->flashCheck <= 2);
    FUZZ_CHECK(settings->eepromCheck >= 0 && settings->eepromCheck <= 2);

    // What was read, written back, reads back the same.
    const auto written = formatSettings(*settings);
    if (!written)
        return 0;
    const auto reread = parseSettings(*written, portCount);
    FUZZ_CHECK(reread && *reread == *settings);
    return 0;
}
