#pragma once

#include <optional>
#include <string>
#include <vector>

namespace korvel::link {

// The first thing in a HEX file's lines that makes it no Intel HEX file.
struct HexFault {
    enum class Kind {
        BadRecord,       // line `lineNumber` is not a record; `what` says why
        NoDataRecord,    // not one data record in the file
        NoEndOfFile,     // no end-of-file record
        AfterEndOfFile,  // line `lineNumber` follows the end-of-file record
    };
    Kind kind = Kind::BadRecord;
    int lineNumber = 0;  // from 1, counting every line as an editor does
    std::string what;    // for BadRecord: what is wrong with the line
};

// Checks the lines of a HEX file (as splitHexLines gives them) as Intel HEX:
// every non-empty line a record (":" and pairs of hex digits in either case,
// its length byte matching its data, its checksum right, a record type from
// 00 to 05), at least one data record, and an end-of-file record after which
// no record follows. None when the file passes.
std::optional<HexFault> checkIntelHex(const std::vector<std::string>& lines);

// The question about a file that failed the check, in the words of the
// download's other questions: "<path>: line N is not an Intel HEX record
// (<what>). Continue with download?" and its kin.
std::string hexFaultQuestion(const std::string& path, const HexFault& fault);

}  // namespace korvel::link
