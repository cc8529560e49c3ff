#include "platform/PortMap.h"
#include "base/Text.h"

#include "platform/SystemText.h"
#include "settings/SmallFile.h"

#include <QFile>

namespace korvel::platform {
namespace {

// A ports file is a few lines; anything longer than this is not one.
constexpr qint64 kMaxFileSize = 64 * 1024;

bool startsWithCom(std::string_view text)
{
    if (text.size() < 3)
        return false;
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
    return upper(text[0]) == 'C' && upper(text[1]) == 'O' && upper(text[2]) == 'M';
}

// The port number of "COMn", or none.
std::optional<int> portOf(std::string_view name)
{
    if (!startsWithCom(name))
        return std::nullopt;
    const auto digits = name.substr(3);
    if (digits.empty() || digits.size() > 3)
        return std::nullopt;
    int number = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + (c - '0');
    }
    if (number < kFirstPort || number > kLastPort)
        return std::nullopt;
    return number;
}

}  // namespace

PortMap PortMap::fromText(std::string_view text)
{
    text = withoutByteOrderMark(text);
    PortMap map;
    while (!text.empty()) {
        // A line ends in CR LF, LF or a lone CR.
        const auto end = text.find_first_of("\r\n");
        auto line = trimmed(text.substr(0, end));
        std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end != std::string_view::npos && text[end] == '\r' && next < text.size() && text[next] == '\n')
            ++next;
        text.remove_prefix(next);
        const auto equals = line.find('=');
        if (line.empty() || line[0] == '#' || equals == std::string_view::npos)
            continue;
        const auto port = portOf(trimmed(line.substr(0, equals)));
        const auto device = trimmed(line.substr(equals + 1));
        if (!port || device.empty() || device.find('\0') != std::string_view::npos)
            continue;
        map.assigned_[*port] = std::string(device);
    }
    return map;
}

PortsFile readPortsFile(const QString& path)
{
    const settings::SmallFile file = settings::readSmallFile(path, kMaxFileSize);
    PortsFile result;
    switch (file.outcome) {
    case settings::SmallFile::Outcome::Read:
        result.ports = PortMap::fromText(std::string_view(file.content.constData(), std::size_t(file.content.size())));
        result.ports.fromFile_ = true;
        break;
    case settings::SmallFile::Outcome::Missing:
        break;
    case settings::SmallFile::Outcome::Refused:
        result.note =
            QStringLiteral("AVRBootloaderKorvel: the ports file %1 was ignored: %2. The usual devices are used.")
                .arg(path, file.failure);
        break;
    }
    result.ports.filePath_ = systemPath(path);
    return result;
}

}  // namespace korvel::platform
