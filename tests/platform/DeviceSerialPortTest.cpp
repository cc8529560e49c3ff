#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "PtyPair.h"
#include "link/Protocol.h"
#include "platform/DeviceSerialPort.h"
#include "platform/PortTrouble.h"
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

    PtyPair pty;
    DeviceSerialPort port{pty.portMap(3)};
    std::string input;
};

// The text of the port's failure to open; as nobody when `asNobody` and the
// test runs as root, whom no mode bit stops.
std::string openFailure(DeviceSerialPort& port, bool asNobody)
{
    const passwd* nobody = ::getpwnam("nobody");
    asNobody = asNobody && nobody && ::geteuid() == 0;
    gid_t groups[64];
    const int count = ::getgroups(64, groups);
    if (asNobody && (::setgroups(0, nullptr) || ::setegid(nobody->pw_gid) || ::seteuid(nobody->pw_uid)))
        return "could not become nobody";
    std::string what;
    try {
        port.open();
    } catch (const PortError& error) {
        what = error.what();
    }
    if (asNobody && (::seteuid(0) || ::setegid(0) || ::setgroups(std::size_t(count), groups)))
        ADD_FAILURE() << "could not become root again";
    return what;
}

// A port that does not open says which port, the cause the system reports and
// the fix. The fixture's port holds its device, under any of its names, until
// it is closed; this run is never named as the holder, its lock file is.
TEST_F(SerialOverPty, FailuresToOpenNameThePortTheCauseAndTheFix)
{
    QTemporaryDir dir;
    const std::string missing = dir.filePath("no-such-device").toStdString();
    const std::string alias = dir.filePath("alias").toStdString();
    ASSERT_EQ(::symlink(pty.slavePath().c_str(), alias.c_str()), 0);
    // Only its group may use it; root gives it to a group other than root's.
    PtyPair guarded;
    ASSERT_TRUE(::geteuid() != 0 || ::chown(guarded.slavePath().c_str(), 0, ::getgrnam("dialout")->gr_gid) == 0);
    ASSERT_EQ(::chmod(guarded.slavePath().c_str(), 0060), 0);
    const std::string group = QFileInfo(QString::fromStdString(guarded.slavePath())).group().toStdString();
    const std::string self = "(process " + std::to_string(::getpid()) + ")";

    const struct {
        std::string device;
        int number;
        std::string start;
        std::string detail;
    } cases[] = {
        {missing, 3, "COM3 = " + missing + ": no such device. ", korvel::platform::presentDevices(PortMap())},
        {guarded.slavePath(), 3, ": permission denied: the device belongs to the group \"" + group + "\"",
         "Run \"sudo usermod -aG " + group + " $USER\", then log out and in again."},
        {pty.slavePath(), 3, "COM3 = " + pty.slavePath() + ": in use: the lock file ", "LCK..pts_"},
        {alias, 3, "COM3 = " + alias + ": in use: the lock file ", "LCK..pts_"},
        {"/dev/null", 3, "COM3 = /dev/null: not a serial device. ", "/dev/serial/by-id"},
        {missing, 17, "COM17: no such port: the ports are COM1 to COM16. ", "COM1=/dev/ttyUSB0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.device);
        DeviceSerialPort other(PortMap::fromText("COM3=" + c.device));
        prepare(other, c.number);
        const std::string what = openFailure(other, c.device == guarded.slavePath());
        EXPECT_NE(what.find(c.start), std::string::npos) << what;
        EXPECT_NE(what.find(c.detail), std::string::npos) << what;
        EXPECT_EQ(what.find(self), std::string::npos) << what;
        EXPECT_FALSE(other.isOpen());
    }
    port.close();
    DeviceSerialPort next(PortMap::fromText("COM3=" + alias));
    prepare(next, 3);
    EXPECT_NO_THROW(next.open());
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

// What came before a discard is never read.
TEST_F(SerialOverPty, DiscardedInputIsNeverRead)
{
    pty.send("stale");
    EXPECT_TRUE(runEventsUntil([&] { return port.bytesWaiting() == 5; }));
    port.discardInput();
    pty.send("fresh");
    EXPECT_TRUE(readUntil(5));
    EXPECT_EQ(input, "fresh");
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
    EXPECT_EQ(port.lastEventCode(), QSerialPort::ResourceError);
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
    PtyPair sink(false);
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
