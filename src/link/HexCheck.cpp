#include "link/HexCheck.h"

#include <cstddef>
#include <cstdint>

namespace korvel::link {

namespace {

// Record types of Intel HEX: data, end of file, and the four address records.
constexpr int kDataRecord = 0x00;
constexpr int kEndOfFileRecord = 0x01;
constexpr int kLastKnownRecord = 0x05;
// Length byte, two address bytes, type byte and checksum byte.
constexpr std::size_t kRecordFrameBytes = 5;

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

std::string twoDigits(unsigned value)
{
    const char digits[] = "0123456789ABCDEF";
    return {digits[(value >> 4) & 0xF], digits[value & 0xF]};
}

// A character of a foreign line as a message may show it: printable ASCII in
// quotes, anything else as its byte value.
std::string shownCharacter(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if (byte == ' ')
        return "a blank";
    if (byte > ' ' && byte < 0x7F)
        return std::string("\"") + c + "\"";
    return "byte 0x" + twoDigits(byte);
}

// What keeps `line` from being a record, or nothing; `type` receives the
// record type of a record.
std::optional<std::string> recordFault(const std::string& line, int& type)
{
    if (line[0] != ':')
        return shownCharacter(line[0]) + " where a record begins with \":\"";
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 1; i < line.size(); ++i) {
        const int value = hexDigitValue(line[i]);
        if (value < 0)
            return shownCharacter(line[i]) + " at column " + std::to_string(i + 1) + " is not a hex digit";
        if (i % 2 == 1)
            bytes.push_back(static_cast<std::uint8_t>(value << 4));
        else
            bytes.back() = static_cast<std::uint8_t>(bytes.back() | value);
    }
    const std::size_t digits = line.size() - 1;
    if (digits % 2 != 0)
        return "an odd number of hex digits, " + std::to_string(digits);
    if (bytes.size() < kRecordFrameBytes)
        return std::to_string(digits) + " hex digits, fewer than the " + std::to_string(2 * kRecordFrameBytes) +
               " of the shortest record";
    const std::size_t dataBytes = bytes.size() - kRecordFrameBytes;
    if (bytes[0] != dataBytes)
        return "its length byte says " + std::to_string(bytes[0]) + " data bytes, it holds " +
               std::to_string(dataBytes);
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
        sum = static_cast<std::uint8_t>(sum + bytes[i]);
    const auto expected = static_cast<std::uint8_t>(-sum);
    if (bytes.back() != expected)
        return "its checksum is " + twoDigits(bytes.back()) + ", its bytes need " + twoDigits(expected);
    type = bytes[3];
    if (type > kLastKnownRecord)
        return "record type " + twoDigits(bytes[3]) + " is unknown";
    return std::nullopt;
}

}  // namespace

std::optional<HexFault> checkIntelHex(const std::vector<std::string>& lines)
{
    bool data = false;
    int endOfFile = 0;  // the line of the end-of-file record, 0: none yet
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty())
            continue;
        const int lineNumber = static_cast<int>(i + 1);
        int type = -1;
        if (auto what = recordFault(lines[i], type))
            return HexFault{HexFault::Kind::BadRecord, lineNumber, std::move(*what)};
        if (endOfFile != 0)
            return HexFault{HexFault::Kind::AfterEndOfFile, lineNumber, {}};
        data = data || type == kDataRecord;
        if (type == kEndOfFileRecord)
            endOfFile = lineNumber;
    }
    if (!data)
        return HexFault{HexFault::Kind::NoDataRecord, 0, {}};
    if (endOfFile == 0)
        return HexFault{HexFault::Kind::NoEndOfFile, 0, {}};
    return std::nullopt;
}

std::string hexFaultQuestion(const std::string& path, const HexFault& fault)
{
    std::string text;
    switch (fault.kind) {
    case HexFault::Kind::BadRecord:
        text = path + ": line " + std::to_string(fault.lineNumber) + " is not an Intel HEX record (" + fault.what + ")";
        break;
    case HexFault::Kind::AfterEndOfFile:
        text = path + ": line " + std::to_string(fault.lineNumber) + " comes after the end-of-file record";
        break;
    case HexFault::Kind::NoDataRecord:
        text = path + " holds no Intel HEX data record";
        break;
    case HexFault::Kind::NoEndOfFile:
        text = path + " has no Intel HEX end-of-file record (:00000001FF): it may have been cut short";
        break;
    }
    return text + ". Continue with download?";
}

}  // namespace korvel::link
