// The ports file on any bytes: a device never holds a line end, a file
// without "COM" in any case leaves every port its usual device, no number
// outside the program's ports gets one, and a line "COMn=<device>" added at
// the end assigns that device to port n.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "platform/PortMap.h"

using korvel::platform::PortMap;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const PortMap usual;
    const PortMap ports = PortMap::fromText(text);
    std::string lower = text;
    for (char& c : lower)
        c = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    for (int number = korvel::platform::kFirstPort; number <= korvel::platform::kLastPort; ++number) {
        const auto device = ports.device(number);
        if (device) {
            FUZZ_CHECK(device->find_first_of("\r\n") == std::string::npos);
        }
        if (lower.find("com") == std::string::npos) {
            FUZZ_CHECK(device == usual.device(number));
        }
    }
    FUZZ_CHECK(!ports.device(korvel::platform::kFirstPort - 1) && !ports.device(korvel::platform::kLastPort + 1));
    const PortMap added = PortMap::fromText(text + "\nCOM7=/dev/ttyKORVEL\n");
    FUZZ_CHECK(added.device(7) == std::string("/dev/ttyKORVEL"));
    return 0;
}
