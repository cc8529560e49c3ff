#include "IntelHex.h"

namespace intelhex {

namespace {

const char kDigits[] = "0123456789ABCDEF";

void appendByte(std::string& text, std::uint8_t value, std::uint8_t& sum)
{
    text += kDigits[value >> 4];
    text += kDigits[value & 0x0F];
    sum = static_cast<std::uint8_t>(sum + value);
}

// Data length each known non-data type must carry; -1 for any length.
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

ParseError parseRecord(std::string_view text, Record& record)
{
    if (text.size() < recordTextLength(0) || text[0] != ':' || (text.size() - 1) % 2 != 0)
        return ParseError::Malformed;
    std::vector<std::uint8_t> bytes;
    bytes.reserve((text.size() - 1) / 2);
    for (std::size_t i = 1; i < text.size(); i += 2) {
        const int high = hexDigitValue(text[i]);
        const int low = hexDigitValue(text[i + 1]);
        if (high < 0 || low < 0)
            return ParseError::Malformed;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    const std::size_t length = bytes[0];
    if (text.size() != recordTextLength(length))
        return ParseError::Malformed;
    std::uint8_t sum = 0;
    for (std::uint8_t byte : bytes)
        sum = static_cast<std::uint8_t>(sum + byte);
    if (sum != 0)
        return ParseError::BadChecksum;
    const std::uint8_t type = bytes[3];
    if (type > StartLinearAddress)
        return ParseError::BadType;
    const int required = requiredLength(type);
    if (required >= 0 && static_cast<std::size_t>(required) != length)
        return ParseError::BadLayout;
    record.type = type;
    record.address = static_cast<std::uint16_t>(bytes[1] << 8 | bytes[2]);
    record.data.assign(bytes.begin() + 4, bytes.begin() + 4 + static_cast<std::ptrdiff_t>(length));
    return ParseError::None;
}

}  // namespace intelhex
