#include "platform/LineSettings.h"
#include "platform/Trimmed.h"

#include <charconv>
#include <string>
#include <vector>

#include "link/SerialPort.h"

namespace korvel::platform {
namespace {

std::vector<std::string_view> fields(std::string_view text)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const auto comma = text.find(',');
        parts.push_back(trimmed(text.substr(0, comma)));
        if (comma == std::string_view::npos)
            return parts;
        text.remove_prefix(comma + 1);
    }
}

[[noreturn]] void reject(std::string_view text)
{
    throw link::PortError("Invalid line settings \"" + std::string(text) + "\"");
}

}  // namespace

LineSettings parseLineSettings(std::string_view text)
{
    const auto parts = fields(text);
    if (parts.size() != 4)
        reject(text);

    LineSettings settings;
    const auto baud = parts[0];
    const auto [end, error] = std::from_chars(baud.data(), baud.data() + baud.size(), settings.baudRate);
    if (baud.empty() || error != std::errc() || end != baud.data() + baud.size() || settings.baudRate <= 0)
        reject(text);

    if (parts[1].size() != 1)
        reject(text);
    switch (parts[1][0]) {
    case 'n':
    case 'N':
        settings.parity = QSerialPort::NoParity;
        break;
    case 'e':
    case 'E':
        settings.parity = QSerialPort::EvenParity;
        break;
    case 'o':
    case 'O':
        settings.parity = QSerialPort::OddParity;
        break;
    case 'm':
    case 'M':
        settings.parity = QSerialPort::MarkParity;
        break;
    case 's':
    case 'S':
        settings.parity = QSerialPort::SpaceParity;
        break;
    default:
        reject(text);
    }

    if (parts[2] == "5")
        settings.dataBits = QSerialPort::Data5;
    else if (parts[2] == "6")
        settings.dataBits = QSerialPort::Data6;
    else if (parts[2] == "7")
        settings.dataBits = QSerialPort::Data7;
    else if (parts[2] == "8")
        settings.dataBits = QSerialPort::Data8;
    else
        reject(text);

    if (parts[3] == "1")
        settings.stopBits = QSerialPort::OneStop;
    else if (parts[3] == "1.5")
        settings.stopBits = QSerialPort::OneAndHalfStop;
    else if (parts[3] == "2")
        settings.stopBits = QSerialPort::TwoStop;
    else
        reject(text);

    return settings;
}

}  // namespace korvel::platform
