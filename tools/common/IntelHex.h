#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace intelhex {

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

enum class ParseError {
    None,
    Malformed,  // no leading ':', a non-hex digit, or a length that does not match
    BadChecksum,
    BadType,    // record type above 05
    BadLayout,  // a known type with the wrong data length
};

// Characters one record with `dataLength` data bytes takes: ':' + 2 * (5 + LL) hex digits.
constexpr std::size_t recordTextLength(std::size_t dataLength)
{
    return 1 + 2 * (5 + dataLength);
}

// The value of one hex digit (either case), or -1.
int hexDigitValue(char c);

// One record as text, upper-case digits, without a line end.
std::string encodeRecord(const Record& record);

// Parses exactly one record (no line end). On success fills `record`.
ParseError parseRecord(std::string_view text, Record& record);

}  // namespace intelhex
