#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

#include "Pty.h"
#include "link/Protocol.h"
#include "platform/DeviceSerialPort.h"
#include "platform/QtEventPump.h"

using korvel::link::PortError;
using korvel::link::protocol::kHello;
using korvel::platform::DeviceSerialPort;
using korvel::platform::PortMap;
using korvel::platform::QtEventPump;

namespace {

constexpr char kXon = 0x11;
constexpr char kXoff = 0x13;

void prepare(DeviceSerialPort& port, int number)
{
    port.setPortNumber(number);
    port.setLineSettings(korvel::link::protocol::kLineSettings);
}

class SerialOverPty : public ::testing::Test {
protected:
    SerialOverPty()
    {
        prepare(port, 3);
        port.open();
    }

    // Runs events until `count` bytes have been read from the port in all.
    bool readUntil(std::size_t count)
    {
        return runEventsUntil([&] {
            input += port.readAll();
            return input.size() >= count;
        });
    }

    bool masterReceives(std::size_t count)
    {
        return runEventsUntil([&] { return pty.received().size() >= count; });
    }

    // The far end pauses our output; returns once the port has taken the XOFF.
    void pauseOutput()
    {
        pty.send({&kXoff, 1});
        pty.send("<");
        ASSERT_TRUE(readUntil(input.size() + 1));
    }

    Pty pty;
    DeviceSerialPort port{pty.portMap(3)};
    std::string input;
};

TEST_F(SerialOverPty, PortHeldOpenCannotBeOpenedAgainUnderAnyName)
{
    QTemporaryDir dir;
    const std::string alias = dir.filePath("alias").toStdString();
    ASSERT_EQ(::symlink(pty.slavePath().c_str(), alias.c_str()), 0);

    for (const auto& map : {pty.portMap(3), PortMap::fromText("COM3=" + alias)}) {
        DeviceSerialPort other(map);
        prepare(other, 3);
        EXPECT_THROW(other.open(), PortError);
        EXPECT_FALSE(other.isOpen());
    }

    port.close();
    DeviceSerialPort next(pty.portMap(3));
    prepare(next, 3);
    EXPECT_NO_THROW(next.open());
}

TEST(SerialPortOpening, PortWithoutUsableDeviceFails)
{
    QTemporaryDir dir;
    DeviceSerialPort missing(PortMap::fromText("COM3=" + dir.filePath("no-such-device").toStdString()));
    prepare(missing, 3);
    EXPECT_THROW(missing.open(), PortError);
    EXPECT_EQ(missing.lastEventCode(), QSerialPort::DeviceNotFoundError);

    for (const int number : {0, 17}) {
        DeviceSerialPort unmapped{PortMap()};
        prepare(unmapped, number);
        EXPECT_THROW(unmapped.open(), PortError) << number;
        EXPECT_FALSE(unmapped.isOpen());
    }
}

TEST_F(SerialOverPty, OnlyXonResumesOutputPausedByXoff)
{
    pauseOutput();
    port.write("hello");
    pty.send("a");  // any character other than XON leaves the output paused
    ASSERT_TRUE(readUntil(2));

    // Nothing drains while paused: once the transmit queue is full the write
    // gives up after its bounded wait.
    EXPECT_THROW(port.write(std::string(600, 'U')), PortError);
    EXPECT_EQ(port.lastEventCode(), QSerialPort::TimeoutError);
    EXPECT_EQ(pty.received(), "");

    pty.send({&kXon, 1});
    pty.send(">");
    const std::size_t queued = DeviceSerialPort::kTransmitQueueSize;
    EXPECT_TRUE(masterReceives(queued));
    EXPECT_EQ(pty.received(), "hello" + std::string(queued - 5, 'U'));
    EXPECT_TRUE(readUntil(3));
    EXPECT_EQ(input, "<a>");
}

TEST_F(SerialOverPty, DiscardedOutputIsNeverSent)
{
    pauseOutput();
    port.write("dropped");
    port.discardOutput();
    pty.send({&kXon, 1});
    port.write("kept");
    EXPECT_TRUE(masterReceives(4));
    EXPECT_EQ(pty.received(), "kept");
}

TEST_F(SerialOverPty, FarEndClosingIsAPortError)
{
    pty.hangUp();
    bool failed = false;
    EXPECT_TRUE(runEventsUntil([&] {
        try {
            port.readAll();
        } catch (const PortError&) {
            failed = true;
        }
        return failed;
    }));
    EXPECT_NE(port.lastEventCode(), 0);
    EXPECT_THROW(port.bytesWaiting(), PortError);
    EXPECT_THROW(port.write("x"), PortError);
    port.close();
    EXPECT_FALSE(port.isOpen());
}

TEST_F(SerialOverPty, WritingToAVanishedDeviceIsAPortError)
{
    pty.hangUp();
    EXPECT_THROW(port.write("x"), PortError);
    EXPECT_EQ(port.lastEventCode(), QSerialPort::ResourceError);
}

// A write far beyond what the device holds arrives whole and in order; every
// byte but XON and XOFF passes unchanged both ways.
TEST_F(SerialOverPty, BytesPassUnchangedBothWays)
{
    std::minstd_rand random(7);
    std::string outgoing(300000, '\0');
    for (char& byte : outgoing)
        byte = char(random());
    port.write(outgoing);
    EXPECT_TRUE(masterReceives(outgoing.size()));
    EXPECT_TRUE(pty.received() == outgoing) << pty.received().size() << " bytes received";

    std::string incoming;
    for (int value = 0; value < 256; ++value)
        if (value != kXon && value != kXoff)
            incoming += char(value);
    pty.send(incoming);
    EXPECT_TRUE(readUntil(incoming.size()));
    EXPECT_EQ(input, incoming);
    EXPECT_EQ(port.lastEventCode(), 0);
}

// The handshake's polling: write a few bytes, then wait for the next event. A
// write the device took whole must leave nothing behind that ends that wait at
// once, or the loop spins. Once what opening the port left is run, only the
// ticks of a timer may end a wait: there are no more passes than ticks.
TEST(SerialPortWaits, WaitAfterAWriteLastsUntilTheNextRealEvent)
{
    Pty sink(false);
    DeviceSerialPort port(sink.portMap(3));
    prepare(port, 3);
    port.open();
    QCoreApplication::processEvents();
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(20);

    QtEventPump events;
    int passes = 0;
    while (ticks < 5) {
        port.write(kHello);
        events.yieldWaiting();
        ++passes;
    }
    EXPECT_LE(passes, ticks);
    EXPECT_TRUE(runEventsUntil([&] { return sink.received().size() == (sizeof kHello - 1) * passes; }));
}

}  // namespace
