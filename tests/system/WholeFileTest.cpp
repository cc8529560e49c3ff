// Reading a file whole, the same on every system.
#include <gtest/gtest.h>

#include "ScratchFolder.h"
#include "system/WholeFile.h"

namespace korvel::system {
namespace {

using Outcome = WholeFile::Outcome;

// What each kind of path gives, with the largest size allowed 8 bytes: every
// byte of a file as it is, also under a name outside ASCII.
TEST(WholeFile, OutcomeOfEachKindOfPath)
{
    const ScratchFolder folder;
    const std::string bytes("a\r\nb\0\xff\n", 7);
    const struct {
        std::string path;
        Outcome outcome;
        std::string content;
    } rows[] = {
        {folder.write("plain.hex", bytes), Outcome::Read, bytes},
        {folder.write("Pr\xc3\xbc"
                      "fung \xe2\x9c\x93.hex",
                      "umlaut"),
         Outcome::Read, "umlaut"},
        {folder.write("empty.hex", ""), Outcome::Read, ""},
        {folder.write("nine.hex", "123456789"), Outcome::TooLarge, ""},
        {folder.path("missing.hex"), Outcome::Missing, ""},
        {folder.path("no folder/missing.hex"), Outcome::Missing, ""},
        {folder.path().u8string(), Outcome::IsDirectory, ""},
    };
    for (const bool regularOnly : {true, false}) {
        for (const auto& row : rows) {
            const WholeFile file = readWholeFile(row.path, {8, regularOnly, std::chrono::milliseconds(100)});
            EXPECT_EQ(file.outcome, row.outcome) << row.path;
            EXPECT_EQ(file.content, row.content) << row.path;
        }
    }
    EXPECT_FALSE(readWholeFile(folder.path("missing.hex"), {8}).reason.empty());
}

}  // namespace
}  // namespace korvel::system
