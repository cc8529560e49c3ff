#include <gtest/gtest.h>

#include "sim/SimulatedLink.h"

namespace korvel::linktest {
namespace {

using B = SimulatedLink;
using R = link::DownloadResult;

const std::string kData = ":100000000C9434000C943E000C943E000C943E0082";
const std::string kEnd = ":00000001FF";

// Files that are no Intel HEX file the target can take, and the question
// each raises before the port is opened ("" none), naming the line as the
// target's questions do. Answered No, not a byte reaches the target.
TEST(HexCheck, MalformedFilesAreAskedAboutBeforeThePortIsOpened)
{
    const std::string bad = "flash.hex: line ";
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{kData, kEnd}, ""},
        {{"", kData, "", kEnd, ""}, ""},
        {{":100000000c9434000c943e000c943e000c943e0082", kEnd}, ""},
        {{":020000040000FA", kData, ":0400000300001234B3", kEnd}, ""},
        // What avr-objcopy writes for a program without EEPROM data.
        {{kEnd}, ""},
        {{kData + " \t", kEnd + " "}, ""},
        // The EEPROM section where avr-gcc keeps it, and a section above it.
        {{":02000004008179", ":02000000AA55FF", kEnd},
         bad + "2 holds data for address 0x810000, where avr-gcc keeps the EEPROM section, not an address of the "
               "target (write the EEPROM file with avr-objcopy -j .eeprom --change-section-lma .eeprom=0 -O ihex)"},
        {{":020000020000FC", ":02FFF000AA5510", kEnd}, ""},
        {{":02000004008476", kData, kEnd}, bad + "2 holds data for address 0x840000, beyond the memory of any"},
        {{":00000004FC", kData, kEnd},
         bad + "1 is not an Intel HEX record (record type 04 carries 0 data bytes, it needs 2)"},
        {{std::string("\x7F"
                      "ELF\x02\x01",
                      6),
          kEnd},
         bad + "1 is not an Intel HEX record (byte 0x7F where a record"},
        {{" " + kData, kEnd}, bad + "1 is not an Intel HEX record (a blank where a record begins"},
        {{kData + " 0", kEnd}, bad + "1 is not an Intel HEX record (a blank at column 44 is not a hex digit)"},
        {{"", kData, "", ":10000000GC9434000C943E000C943E000C943E0082", kEnd},
         bad + "2 (line 4 counting empty lines) is not an Intel HEX record (\"G\" at column"},
        {{kData.substr(0, 42), kEnd}, bad + "1 is not an Intel HEX record (an odd number of hex digits, 41)"},
        {{":00000001", kData}, bad + "1 is not an Intel HEX record (8 hex digits, fewer than the 10 of the shortest"},
        {{":0F0000000C9434000C943E000C943E000C943E0083", kEnd},
         bad + "1 is not an Intel HEX record (its length byte says 15 data bytes, it holds 16)"},
        {{":100000000C9434000C943E000C943E000C943E0083", kEnd},
         bad + "1 is not an Intel HEX record (its checksum is 83, its bytes need 82)"},
        {{kData, ":00000006FA", kEnd}, bad + "2 is not an Intel HEX record (record type 06 is unknown)"},
        {{kData, kEnd, kData}, bad + "3 comes after the end-of-file record"},
        {{}, "flash.hex has no Intel HEX end-of-file record"},
        {{kData}, "flash.hex has no Intel HEX end-of-file record (:00000001FF): it may have been cut short"},
    };
    for (const auto& [lines, question] : rows) {
        SCOPED_TRACE(question);
        B bench;
        bench.files.files["flash.hex"] = lines;
        bench.frontEnd.answers = {false};
        const R result = bench.run(B::flash());
        if (question.empty()) {
            EXPECT_EQ(result, R::Success);
            continue;
        }
        EXPECT_EQ(result, R::Declined);
        EXPECT_TRUE(bench.world.has("ask: " + question)) << bench.world.text();
        EXPECT_TRUE(bench.world.text().find(". Continue with download?") != std::string::npos);
        EXPECT_TRUE(bench.port.writes.empty());
        EXPECT_FALSE(bench.world.has("port open") || bench.world.has("message"));
        EXPECT_TRUE(bench.inOrder({"starting", "file read", "ask", "ended"}));
    }
}

// Both files are read before the port is opened, then checked in the order
// they are sent; Yes sends a file unchanged, and the designed notices of
// opening follow at their usual places, after the handshake.
TEST(HexCheck, YesSendsTheFileUnchangedAfterTheHandshake)
{
    B bench;
    bench.files.files["eeprom.hex"] = {":02000000AA55FF", "garbage"};
    bench.files.files["flash.hex"] = {kData};
    bench.target.endOfFileAnswers = {""};
    bench.target.otherEndsOfFile = "";
    bench.frontEnd.answers = {true, true};
    bench.run({true, true, "flash.hex", "eeprom.hex", 1});
    EXPECT_TRUE(bench.inOrder({"file read eeprom.hex", "file read flash.hex", "ask: eeprom.hex: line 2",
                               "ask: flash.hex has no", "port open", "version", "opening 1 eeprom.hex", "sending 1",
                               "between files", "opening 2 flash.hex", "sending 2"}))
        << bench.world.text();
    std::vector<std::string> sent;
    for (const auto& write : bench.transferWrites())
        sent.push_back(write.bytes);
    EXPECT_EQ(sent, (std::vector<std::string>{"*!", ":02000000AA55FF", "garbage", kData}));
}

}  // namespace
}  // namespace korvel::linktest
