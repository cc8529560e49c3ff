// The simulator's own rules, as the PC's side of its line sees them: record
// checks, injected errors, flow control and pacing.
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "PtyPair.h"
#include "Tools.h"
#include "link/Protocol.h"
#include "platform/DeviceSerialPort.h"

namespace {

using namespace korvel;
using namespace korvel::link::protocol;
const std::string kEndOfFile = ":00000001FF";

// The PC's side of the simulator's terminal: the program's own serial port.
class SlavePort {
public:
    explicit SlavePort(const std::string& path) : port_(platform::PortMap::fromText("COM1=" + path))
    {
        port_.setLineSettings(kLineSettings);
        port_.open();
    }
    void write(const std::string& bytes) { port_.write(bytes); }
    // Reads until the character comes or 5 s pass; everything read.
    std::string readUntilChar(char wanted)
    {
        std::string received;
        runEventsUntil([&] { return (received += port_.readAll()).find(wanted) != std::string::npos; });
        return received;
    }

private:
    platform::DeviceSerialPort port_;
};

// Synchronisation and handshake as the PC does them.
void handshake(SlavePort& port)
{
    port.write(std::string(kSyncBlockSize, kSyncByte));
    ASSERT_EQ(port.readUntilChar(kSyncAnswer), "$");
    port.write(kHello);
    ASSERT_EQ(port.readUntilChar(kHelloAnswer), "?G1.28");
}

TEST(TargetSim, ChecksEveryRecordAndBuildsTheImageOverTwoDownloads)
{
    QTemporaryDir dir;
    const QString image = dir.filePath("flash.bin");
    TargetSim sim({QStringLiteral("--flash-out"), image});
    SlavePort port(sim.device());
    handshake(port);
    port.write(":0100000055AA"        // data 0x55 at 0
               ":0100000055AB"        // bad checksum
               ":01000100Z5A9"        // not a hex digit
               ":00000006FA"          // unknown record type
               ":0100000400FB"        // extended linear address with one byte
               ":0100"                // cut short by the next record
               ":020000021000EC"      // extended segment address 0x1000
               ":01000200a558"        // data 0xA5 at 0x10002, lower-case digits
               ":04000005000000CD2A"  // start linear address
               + kEndOfFile);
    EXPECT_EQ(port.readUntilChar('@'), "~-----~~~#@");
    QByteArray expected(0x10003, '\xFF');
    expected[0] = '\x55';
    expected[0x10002] = '\xA5';
    EXPECT_EQ(fileContents(image), expected);

    handshake(port);
    port.write(":010000007788" + kEndOfFile);
    EXPECT_EQ(port.readUntilChar('@'), "~#@");
    expected[0] = '\x77';
    EXPECT_EQ(fileContents(image), expected);

    sim.terminate();
    EXPECT_EQ(sim.waitForExit(5000), 0);
    EXPECT_TRUE(sim.errorOutput().contains("7 records accepted")) << sim.errorOutput().toStdString();
}

// The XOFF comes ahead of the first line's answer, so once that answer is read
// the PC's output is held; the second line gets through only after the XON,
// which leaves 300 ms after the XOFF and so after the clock started.
TEST(TargetSim, XoffStopsThePcsOutputUntilTheXon)
{
    TargetSim sim({"--xoff-after", "1", "--xon-after", "300"});
    SlavePort port(sim.device());
    handshake(port);
    QElapsedTimer sinceFirstLine;
    sinceFirstLine.start();
    port.write(":0100000011EE");
    EXPECT_EQ(port.readUntilChar('~'), "~");
    port.write(":0100010022DC");
    EXPECT_EQ(port.readUntilChar('~'), "~");
    EXPECT_GE(sinceFirstLine.elapsed(), 300);
}

// Measured in the simulator's own line time, the handshake's figures do not
// depend on how fast the machine is: 512 sync bytes written at once follow
// each other at the byte time, and 510 of them arrive after the "$" has left.
TEST(TargetSim, PacedLineTakesItsTimeAndMeasuresTheHandshake)
{
    const std::string line = ":10000000112233445566778899AABBCCDDEEFF00F8";
    constexpr int kLines = 100;
    TargetSim sim({"--pace", "115200"});
    SlavePort port(sim.device());
    handshake(port);
    QElapsedTimer elapsed;
    elapsed.start();
    for (int sent = 0; sent < kLines; ++sent) {
        port.write(line);
        ASSERT_EQ(port.readUntilChar('~'), "~");
    }
    const double lineTimeMs = kLines * (line.size() + 1) * 10 * 1000.0 / 115200;
    EXPECT_GE(elapsed.elapsed(), lineTimeMs * 0.99);
    sim.terminate();
    ASSERT_EQ(sim.waitForExit(5000), 0);
    EXPECT_TRUE(sim.errorOutput().contains(
        R"(; paced line: sync bytes at most 87 us apart, 510 sync bytes after "$", 0 calls after "?")"))
        << sim.errorOutput().toStdString();
}

}  // namespace
