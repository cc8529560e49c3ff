// The ports-file parser on any file text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "platform/PortMap.h"

using korvel::platform::kFirstPort;
using korvel::platform::kLastPort;
using korvel::platform::PortMap;

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const PortMap assigned = PortMap::fromText(text);
    const PortMap usual;

    FUZZ_CHECK(!assigned.device(kFirstPort - 1) && !assigned.device(kLastPort + 1));
    for (int port = kFirstPort; port <= kLastPort; ++port) {
        const auto device = assigned.device(port);
        FUZZ_CHECK(device && !device->empty());
        // Lines end at LF; a device holding NUL is refused.
        FUZZ_CHECK(device->find_first_of(std::string("\n\0", 2)) == std::string::npos);
        FUZZ_CHECK(!isBlank(device->front()) && !isBlank(device->back()));
        // A device comes from the file's own text or is the usual one.
        FUZZ_CHECK(text.find(*device) != std::string_view::npos || device == usual.device(port));
    }
    return 0;
}
