#include "link/IntelHex.h"

namespace korvel::intelhex {

namespace {

const char kDigits[] = "0123456789ABCDEF";
// Length byte, two address bytes, type byte and checksum byte.
constexpr std::size_t kFrameBytes = 5;

void appendByte(std::string& text, std::uint8_t value, std::uint8_t& sum)
{
    text += kDigits[value >> 4];
    text += kDigits[value & 0x0F];
    sum = static_cast<std::uint8_t>(sum + value);
}

// The data length a known type other than data must carry; -1 for any.
int requiredLength(std::uint8_t type)
{
    switch (type) {
    case EndOfFile:
        return 0;
    case ExtendedSegmentAddress:
    case ExtendedLinearAddress:
        return 2;
    case StartSegmentAddress:
    case StartLinearAddress:
        return 4;
    default:
        return -1;
    }
}

}  // namespace

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<RecordFault> parseRecord(std::string_view text, Record& record)
{
    using Kind = RecordFault::Kind;
    if (text.empty() || text[0] != ':')
        return RecordFault{Kind::NoColon, 1};
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (hexDigitValue(text[i]) < 0)
            return RecordFault{Kind::NotHexDigit, i + 1};
    }
    const auto digits = static_cast<unsigned>(text.size() - 1);
    if (digits % 2 != 0)
        return RecordFault{Kind::OddDigits, 0, 0, digits};
    if (digits < 2 * kFrameBytes)
        return RecordFault{Kind::TooShort, 0, 2 * kFrameBytes, digits};
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 1; i < text.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(hexDigitValue(text[i]) * 16 + hexDigitValue(text[i + 1])));
    const auto held = static_cast<unsigned>(bytes.size() - kFrameBytes);
    if (bytes[0] != held)
        return RecordFault{Kind::LengthMismatch, 0, bytes[0], held};
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
        sum = static_cast<std::uint8_t>(sum + bytes[i]);
    const auto needed = static_cast<std::uint8_t>(-sum);
    if (bytes.back() != needed)
        return RecordFault{Kind::BadChecksum, 0, needed, bytes.back()};
    const std::uint8_t type = bytes[3];
    if (type > StartLinearAddress)
        return RecordFault{Kind::UnknownType, 0, 0, type, type};
    const int required = requiredLength(type);
    if (required >= 0 && static_cast<unsigned>(required) != held)
        return RecordFault{Kind::WrongLength, 0, static_cast<unsigned>(required), held, type};
    record.type = type;
    record.address = static_cast<std::uint16_t>(bytes[1] << 8 | bytes[2]);
    record.data.assign(bytes.begin() + 4, bytes.end() - 1);
    return std::nullopt;
}

std::string encodeRecord(const Record& record)
{
    std::string text(":");
    std::uint8_t sum = 0;
    appendByte(text, static_cast<std::uint8_t>(record.data.size()), sum);
    appendByte(text, static_cast<std::uint8_t>(record.address >> 8), sum);
    appendByte(text, static_cast<std::uint8_t>(record.address & 0xFF), sum);
    appendByte(text, record.type, sum);
    for (std::uint8_t byte : record.data)
        appendByte(text, byte, sum);
    std::uint8_t ignored = 0;
    appendByte(text, static_cast<std::uint8_t>(-sum), ignored);
    return text;
}

}  // namespace korvel::intelhex
