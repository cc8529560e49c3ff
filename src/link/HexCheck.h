#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvel::link {

// The first thing in a HEX file's lines that makes it no Intel HEX file the
// target can take.
struct HexFault {
    enum class Kind {
        BadRecord,       // the line is not a record; `what` says why
        NoEndOfFile,     // no end-of-file record
        AfterEndOfFile,  // the line follows the end-of-file record
        SectionAddress,  // the line holds data for `address`, beyond any target's memory
    };
    Kind kind = Kind::BadRecord;
    int lineNumber = 0;  // among the non-empty lines, from 1, as the download's questions count
    int fileLine = 0;    // among all lines, from 1, as an editor counts
    std::string what;
    std::uint32_t address = 0;
};

// Checks the lines of a HEX file (as splitHexLines gives them) as Intel HEX:
// every non-empty line a record (blanks and tabs after it allowed), data at
// addresses below avr-gcc's section offsets (0x800000 up), and an end-of-file
// record after which no record follows. None when the file passes; a file of
// the end-of-file record alone passes.
std::optional<HexFault> checkIntelHex(const std::vector<std::string>& lines);

// The question about a file that failed the check, in the words of the
// download's other questions: "<path>: line N is not an Intel HEX record
// (<what>). Continue with download?" and its kin.
std::string hexFaultQuestion(const std::string& path, const HexFault& fault);

}  // namespace korvel::link
