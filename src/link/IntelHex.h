#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Intel HEX records: the one reader and writer of the program, its HEX check
// and the tools that play the target or make test files.
namespace korvel::intelhex {

enum RecordType : std::uint8_t {
    Data = 0x00,
    EndOfFile = 0x01,
    ExtendedSegmentAddress = 0x02,
    StartSegmentAddress = 0x03,
    ExtendedLinearAddress = 0x04,
    StartLinearAddress = 0x05,
};

struct Record {
    std::uint8_t type = Data;
    std::uint16_t address = 0;
    std::vector<std::uint8_t> data;
};

// What keeps a text from being one record.
struct RecordFault {
    enum class Kind {
        NoColon,         // the first character is not ":"
        NotHexDigit,     // the character at `column` is no hex digit
        OddDigits,       // `found` hex digits, an odd number
        TooShort,        // `found` hex digits, fewer than the shortest record's
        LengthMismatch,  // the length byte says `stated` data bytes, the record holds `found`
        BadChecksum,     // the checksum byte is `found`, the other bytes need `stated`
        UnknownType,     // record type `found` is above 05
        WrongLength,     // record type `type` carries `found` data bytes, it needs `stated`
    };
    Kind kind;
    std::size_t column = 0;  // from 1
    unsigned stated = 0;
    unsigned found = 0;
    unsigned type = 0;
};

// Characters one record with `dataLength` data bytes takes: ':' + 2 * (5 + LL) hex digits.
constexpr std::size_t recordTextLength(std::size_t dataLength)
{
    return 1 + 2 * (5 + dataLength);
}

// The value of one hex digit (either case), or -1.
int hexDigitValue(char c);

// Reads exactly one record (no line end): ":" and pairs of hex digits in
// either case, the length byte matching the data, the checksum right, a
// record type from 00 to 05 with the data length its type needs. Fills
// `record` and gives none when the text is one.
std::optional<RecordFault> parseRecord(std::string_view text, Record& record);

// One record as text, upper-case digits, without a line end.
std::string encodeRecord(const Record& record);

}  // namespace korvel::intelhex
