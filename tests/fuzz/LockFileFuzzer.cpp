// The port lock file reader on any content: a process number it finds is one
// that may be asked about (positive, within the system's range), and the
// program's name it finds is one word.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "platform/PortLocks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto content = korvel::platform::parseLockFile(bytes);
    if (!content)
        return 0;
    FUZZ_CHECK(content->pid > 0 && content->pid <= 0x7fffffffL);
    FUZZ_CHECK(content->program.find_first_of(" \t\r\n", 0) == std::string::npos);
    FUZZ_CHECK(content->program.size() < size);
    return 0;
}
