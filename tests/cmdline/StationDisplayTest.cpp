#include "cmdline/StationDisplay.h"

#include "MemoryTerminal.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

using korvel::cmdline::StationDisplay;

namespace {

// On a terminal of 30 columns, one line per port and the tally stay at the
// bottom, erased and drawn again under each port's message; no drawn line
// takes the last column. While a question stands, another port's message
// waits below the answer. Without a terminal only the messages and the final
// tally are written.
TEST(StationDisplay, PortLinesStayUnderTheMessages)
{
    for (const bool onTerminal : {true, false}) {
        SCOPED_TRACE(onTerminal);
        MemoryTerminal terminal;
        terminal.in.str("y\n");
        auto streams = terminal.streams(onTerminal);
        streams.outColumns = [] { return 30; };
        StationDisplay display(streams, {"COM3", "/dev/serial/by-id/usb-FTDI-A50285BI"});
        display.setState(0, "connect or reset the next board");
        display.setState(1, "sending FLASH 45%");
        display.tally("Tally: good=0 failed=0", false);
        display.say(0, "FLASH file successfully downloaded.", true);
        EXPECT_TRUE(display.ask(1, "Checksum error at line 3. Continue with download?"));
        display.tally("Tally: good=1 failed=0", true);
        const std::string out = terminal.out.str();
        const std::string plain = std::regex_replace(out, std::regex("\033\\[[0-9]*[FJ]"), "");
        EXPECT_NE(out.find("COM3: FLASH file successfully downloaded.\n"), std::string::npos);
        EXPECT_EQ(plain.substr(plain.size() - 23), "Tally: good=1 failed=0\n");
        EXPECT_EQ(terminal.err.str().rfind("/dev/serial/by-id/usb-FTDI-A50285BI: Checksum error at line 3.", 0), 0u);
        if (onTerminal) {
            EXPECT_NE(out.find("COM3: connect or reset the ne\n"), std::string::npos) << out;
            std::size_t start = 0;
            for (std::size_t end = out.find('\n'); end != std::string::npos;
                 start = end + 1, end = out.find('\n', start)) {
                if (out.compare(start, 5, "COM3:") == 0 || out.compare(start, 5, "/dev/") == 0) {
                    EXPECT_LT(end - start, 30u) << out.substr(start, end - start);
                }
            }
        } else {
            EXPECT_EQ(out, "COM3: FLASH file successfully downloaded.\nTally: good=1 failed=0\n");
        }
    }
}

}  // namespace
