#include "link/HexCheck.h"

#include <cstddef>
#include <string_view>

#include "link/IntelHex.h"

namespace korvel::link {

namespace {

// avr-gcc places the sections of a program in one address space: FLASH from
// 0, SRAM from 0x800000, EEPROM from 0x810000, then fuses, lock bits and
// signatures. No target has memory that high; a file with such addresses was
// written from the ELF file without moving its sections to 0.
constexpr std::uint32_t kSectionOffsets = 0x800000;
constexpr std::uint32_t kEepromSection = 0x810000;
constexpr std::uint32_t kFuseSection = 0x820000;

std::string hexByte(unsigned value)
{
    const char digits[] = "0123456789ABCDEF";
    return {digits[(value >> 4) & 0xF], digits[value & 0xF]};
}

std::string hexAddress(std::uint32_t address)
{
    std::string text;
    for (int shift = 16; shift >= 0; shift -= 8)
        text += hexByte(address >> shift);
    return "0x" + text;
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
    return "byte 0x" + hexByte(byte);
}

std::string faultText(const std::string& line, const intelhex::RecordFault& fault)
{
    using Kind = intelhex::RecordFault::Kind;
    const std::string found = std::to_string(fault.found), stated = std::to_string(fault.stated);
    switch (fault.kind) {
    case Kind::NoColon:
        return shownCharacter(line[0]) + " where a record begins with \":\"";
    case Kind::NotHexDigit:
        return shownCharacter(line[fault.column - 1]) + " at column " + std::to_string(fault.column) +
               " is not a hex digit";
    case Kind::OddDigits:
        return "an odd number of hex digits, " + found;
    case Kind::TooShort:
        return found + " hex digits, fewer than the " + stated + " of the shortest record";
    case Kind::LengthMismatch:
        return "its length byte says " + stated + " data bytes, it holds " + found;
    case Kind::BadChecksum:
        return "its checksum is " + hexByte(fault.found) + ", its bytes need " + hexByte(fault.stated);
    case Kind::UnknownType:
        return "record type " + hexByte(fault.type) + " is unknown";
    case Kind::WrongLength:
        break;
    }
    return "record type " + hexByte(fault.type) + " carries " + found + " data bytes, it needs " + stated;
}

}  // namespace

std::optional<HexFault> checkIntelHex(const std::vector<std::string>& lines)
{
    bool ended = false;
    std::uint32_t base = 0;  // from the last extended address record
    int lineNumber = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty())
            continue;
        ++lineNumber;
        const int fileLine = static_cast<int>(i + 1);
        // Blanks and tabs after a record are no part of it; the line is sent as it is.
        const std::string_view text = std::string_view(lines[i]).substr(0, lines[i].find_last_not_of(" \t") + 1);
        intelhex::Record record;
        if (const auto fault = intelhex::parseRecord(text, record))
            return HexFault{HexFault::Kind::BadRecord, lineNumber, fileLine, faultText(lines[i], *fault)};
        if (ended)
            return HexFault{HexFault::Kind::AfterEndOfFile, lineNumber, fileLine, {}};
        const std::uint32_t value = record.data.size() == 2 ? std::uint32_t(record.data[0] << 8 | record.data[1]) : 0;
        switch (record.type) {
        case intelhex::EndOfFile:
            ended = true;
            break;
        case intelhex::ExtendedSegmentAddress:
            base = value << 4;
            break;
        case intelhex::ExtendedLinearAddress:
            base = value << 16;
            break;
        case intelhex::Data:
            if (!record.data.empty() && base + record.address >= kSectionOffsets)
                return HexFault{HexFault::Kind::SectionAddress, lineNumber, fileLine, {}, base + record.address};
            break;
        default:
            break;
        }
    }
    if (!ended)
        return HexFault{HexFault::Kind::NoEndOfFile, 0, 0, {}};
    return std::nullopt;
}

std::string hexFaultQuestion(const std::string& path, const HexFault& fault)
{
    std::string line = path + ": line " + std::to_string(fault.lineNumber);
    if (fault.fileLine != fault.lineNumber)
        line += " (line " + std::to_string(fault.fileLine) + " counting empty lines)";
    std::string text;
    switch (fault.kind) {
    case HexFault::Kind::BadRecord:
        text = line + " is not an Intel HEX record (" + fault.what + ")";
        break;
    case HexFault::Kind::AfterEndOfFile:
        text = line + " comes after the end-of-file record";
        break;
    case HexFault::Kind::NoEndOfFile:
        text = path + " has no Intel HEX end-of-file record (:00000001FF): it may have been cut short";
        break;
    case HexFault::Kind::SectionAddress:
        if (fault.address >= kEepromSection && fault.address < kFuseSection) {
            text = line + " holds data for address " + hexAddress(fault.address) +
                   ", where avr-gcc keeps the EEPROM section, not an address of the target (write the EEPROM file "
                   "with avr-objcopy -j .eeprom --change-section-lma .eeprom=0 -O ihex)";
        } else {
            text = line + " holds data for address " + hexAddress(fault.address) +
                   ", beyond the memory of any target, where avr-gcc keeps a section the bootloader does not "
                   "write (write the FLASH file with avr-objcopy -j .text -j .data -O ihex)";
        }
        break;
    }
    return text + ". Continue with download?";
}

}  // namespace korvel::link
