#include "platform/PortLocks.h"

#include <cctype>
#include <cstdint>
#include <cstring>

namespace korvel::platform {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Process numbers are positive and fit the system's type; anything else
// (0 or a negative number would address groups of processes) is no holder.
constexpr long kMostPid = 0x7fffffffL;

// Text holds no NUL byte: four bytes with one are the binary form.
std::optional<LockContent> parseAscii(std::string_view bytes)
{
    if (bytes.find('\0') != std::string_view::npos)
        return std::nullopt;
    std::size_t at = 0;
    while (at < bytes.size() && (bytes[at] == ' ' || bytes[at] == '\t'))
        ++at;
    const std::size_t digits = at;
    long pid = 0;
    while (at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at]))) {
        pid = pid * 10 + (bytes[at] - '0');
        if (pid > kMostPid)
            return std::nullopt;
        ++at;
    }
    if (at == digits || pid == 0 || (at < bytes.size() && !isBlank(bytes[at])))
        return std::nullopt;
    while (at < bytes.size() && isBlank(bytes[at]))
        ++at;
    std::size_t end = at;
    while (end < bytes.size() && !isBlank(bytes[end]))
        ++end;
    return LockContent{pid, std::string(bytes.substr(at, end - at))};
}

}  // namespace

std::optional<LockContent> parseLockFile(std::string_view bytes)
{
    if (auto ascii = parseAscii(bytes))
        return ascii;
    if (bytes.size() != sizeof(std::int32_t))
        return std::nullopt;
    std::int32_t pid = 0;
    std::memcpy(&pid, bytes.data(), sizeof pid);
    if (pid <= 0)
        return std::nullopt;
    return LockContent{long(pid), {}};
}

PortLocks::PortLocks(std::vector<std::string> folders) : folders_(std::move(folders)) {}

std::optional<LockFinding> PortLocks::clearWay(const std::string& device) const
{
    return examine(device, true);
}

std::optional<LockFinding> PortLocks::look(const std::string& device) const
{
    return examine(device, false);
}

}  // namespace korvel::platform
