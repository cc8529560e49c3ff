// The settings reader on any file content. The first byte chooses how many
// ports the list holds (0 to 16); the rest is the content of the file.
#include <QByteArray>

#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "settings/SettingsFormat.h"

using korvel::settings::formatSettings;
using korvel::settings::parseSettings;

namespace {

constexpr int kMaxPorts = 16;

bool isCheckValue(int value)
{
    return value >= 0 && value <= 2;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int portCount = data[0] % (kMaxPorts + 1);
    const QByteArray content(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    const auto settings = parseSettings(content, portCount);
    if (!settings)
        return 0;
    FUZZ_CHECK(settings->comListPosition >= -1 && settings->comListPosition < portCount);
    FUZZ_CHECK(isCheckValue(settings->flashCheck) && isCheckValue(settings->eepromCheck));

    // What was read, written back, reads back the same.
    const auto written = formatSettings(*settings);
    if (!written)
        return 0;
    const auto reread = parseSettings(*written, portCount);
    FUZZ_CHECK(reread && *reread == *settings);
    return 0;
}
