// The Intel HEX check on any file content: it names a line that is there and
// not empty, numbered as the download numbers it, tells what is wrong in
// printable words only, and passes a file only when every non-empty line is a
// record with the right checksum, blanks and tabs after it aside.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "link/HexCheck.h"
#include "link/HexFile.h"

namespace {

// A passed record: ":" and an even number of hex digits whose bytes sum to 0.
bool sumsToZero(const std::string& line)
{
    if (line.size() < 11 || line[0] != ':' || line.size() % 2 != 1)
        return false;
    unsigned sum = 0;
    for (std::size_t i = 1; i < line.size(); i += 2)
        sum += static_cast<unsigned>(std::stoul(line.substr(i, 2), nullptr, 16));
    return sum % 256 == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto lines = korvel::link::splitHexLines(text, size);
    FUZZ_CHECK(lines);
    const auto fault = korvel::link::checkIntelHex(*lines);
    if (!fault) {
        FUZZ_CHECK(!lines->empty());
        for (const std::string& line : *lines) {
            const std::string record = line.substr(0, line.find_last_not_of(" \t") + 1);
            FUZZ_CHECK(line.empty() || (record.find_first_not_of(":0123456789ABCDEFabcdef") == std::string::npos &&
                                        sumsToZero(record)));
        }
        return 0;
    }
    using Kind = korvel::link::HexFault::Kind;
    if (fault->kind != Kind::NoEndOfFile) {
        FUZZ_CHECK(fault->fileLine >= 1 && static_cast<std::size_t>(fault->fileLine) <= lines->size());
        FUZZ_CHECK(!(*lines)[fault->fileLine - 1].empty());
        // The line as the download's questions number it: among the non-empty ones.
        int nonEmpty = 0;
        for (int i = 0; i < fault->fileLine; ++i)
            nonEmpty += (*lines)[i].empty() ? 0 : 1;
        FUZZ_CHECK(fault->lineNumber == nonEmpty);
    }
    for (char c : fault->what)
        FUZZ_CHECK(c >= ' ' && c < 0x7F);
    const std::string question = korvel::link::hexFaultQuestion("app.hex", *fault);
    FUZZ_CHECK(question.rfind("app.hex", 0) == 0);
    FUZZ_CHECK(question.size() > 25 && question.compare(question.size() - 25, 25, ". Continue with download?") == 0);
    return 0;
}
