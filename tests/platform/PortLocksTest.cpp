#include <QTemporaryDir>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "PtyPair.h"
#include "link/Protocol.h"
#include "platform/DeviceSerialPort.h"
#include "platform/PortLocks.h"

using korvel::link::PortError;
using korvel::platform::DeviceSerialPort;
using korvel::platform::LockContent;
using korvel::platform::LockTrouble;
using korvel::platform::parseLockFile;
using korvel::platform::PortLocks;

namespace {

// A running program named `argv0`; ended when the object goes. The
// constructor returns once the program runs under that name: the pipe's
// write end closes on exec.
class Holder {
public:
    explicit Holder(const std::string& argv0)
    {
        int ready[2];
        if (::pipe2(ready, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execl("/bin/sleep", argv0.c_str(), "1000", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(ready[1]);
        char byte;
        while (::read(ready[0], &byte, 1) < 0 && errno == EINTR) {
        }
        ::close(ready[0]);
    }
    ~Holder()
    {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};

// The number of a process that has ended.
pid_t endedPid()
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

std::string ascii(long pid, const std::string& rest = "\n")
{
    return std::to_string(pid) + rest;
}

std::string binary(std::int32_t pid)
{
    return std::string(reinterpret_cast<const char*>(&pid), sizeof pid);
}

// The forms of lock files in use, and what holds no process number.
TEST(PortLocks, ContentForms)
{
    const struct {
        std::string bytes;
        long pid;
        std::string program;
    } rows[] = {
        {"4711\n", 4711, ""},
        {"      4711\n", 4711, ""},
        {"   4711 minicom root\n", 4711, "minicom"},
        {"4711\nterm\nhost\n", 4711, "term"},
        {"4711", 4711, ""},  // four ASCII digits: the number they spell
        {binary(4711), 4711, ""},
        {binary(0x31), 0x31, ""},      // "1" and three NUL bytes
        {binary(0x0a31), 0x0a31, ""},  // "1\n" and two NUL bytes
        {binary(-5), 0, ""},
        {binary(0), 0, ""},
        {"0\n", 0, ""},
        {"", 0, ""},
        {"\n", 0, ""},
        {"pid 4711\n", 0, ""},
        {"4711abc\n", 0, ""},
        {"99999999999999999999\n", 0, ""},
    };
    for (const auto& row : rows) {
        const auto content = parseLockFile(row.bytes);
        EXPECT_EQ(content ? content->pid : 0, row.pid) << row.bytes;
        EXPECT_EQ(content ? content->program : "", row.program) << row.bytes;
    }
}

void writeFile(const std::string& path, const std::string& bytes)
{
    const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(file, 0) << path;
    ASSERT_EQ(::write(file, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    ::close(file);
}

bool exists(const std::string& path)
{
    struct stat node {};
    return ::lstat(path.c_str(), &node) == 0;
}

// A lock of a running program refuses the port and stays; one whose program
// has ended is taken over; one that is no regular file or names no process
// refuses the port, is never opened and stays. Names are shown escaped.
TEST(PortLocks, LockFilesDecideWhetherThePortOpens)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    PtyPair pty;
    const std::string device = pty.slavePath();                 // /dev/pts/N
    const std::string qtName = "LCK..pts_" + device.substr(9);  // the serial library's name
    const std::string shortName = "LCK.." + device.substr(9);   // the device's last name
    const Holder holder("term\x1b]0;owned\x07");
    const std::string named = "in use by another program: term\\x1b]0;owned\\x07 (process " +
                              std::to_string(holder.pid()) + "), which holds the lock file ";
    const std::string ended = ascii(endedPid());

    const auto file = [](const std::string& bytes) { return [bytes](auto& p) { writeFile(p, bytes); }; };
    // The forms of the content are PortLocks.ContentForms'; here each outcome once, under both names.
    const struct {
        const char* what;
        std::string name;
        std::function<void(const std::string&)> make;
        bool opens;
        std::string text, kind;  // in the failure before and after the lock's path
        bool stays;
    } rows[] = {
        {"running", qtName, file(ascii(holder.pid())), false, named, "", true},
        {"running, padded with a name", shortName, file("      " + ascii(holder.pid(), " minicom root\n")), false,
         named, "", true},
        {"ended", qtName, file(ended), true, "", "", false},
        {"ended, binary", shortName, file(binary(std::stoi(ended))), true, "", "", false},
        {"this run's own", qtName, file(ascii(::getpid())), true, "", "", true},
        {"FIFO", qtName, [](auto& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }, false, "the lock file ",
         " is a FIFO, not a regular file", true},
        {"link to /dev/zero", qtName, [](auto& p) { ASSERT_EQ(::symlink("/dev/zero", p.c_str()), 0); }, false,
         "the lock file ", " is a symbolic link, not a regular file", true},
        {"folder", qtName, [](auto& p) { ASSERT_EQ(::mkdir(p.c_str(), 0755), 0); }, false, "the lock file ",
         " is a folder, not a regular file", true},
        {"empty", qtName, file(""), false, "the lock file ", " holds no process number", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string path = folder + "/" + row.name;
        row.make(path);
        DeviceSerialPort port(pty.portMap(3), PortLocks({folder}));
        port.setPortNumber(3);
        port.setLineSettings(korvel::link::protocol::kLineSettings);
        std::string failure;
        try {
            port.open();
        } catch (const PortError& error) {
            failure = error.what();
        }
        EXPECT_EQ(port.isOpen(), row.opens) << failure;
        if (!row.opens) {
            EXPECT_NE(failure.find("COM3 = " + device + ": " + row.text + path + row.kind), std::string::npos)
                << failure;
            EXPECT_EQ(failure.find('\x1b'), std::string::npos);
        }
        EXPECT_EQ(exists(path), row.stays);
        port.close();
        ::unlink(path.c_str());
        ::rmdir(path.c_str());
    }
}

// A lock whose program has ended, in a sticky folder, of another user: this
// user may not remove it; the message names its owner and what to do.
TEST(PortLocks, StaleLockOfAnotherUserIsNamedWithItsOwner)
{
    // getpwnam's answers share one buffer: the numbers are taken at once.
    const passwd* found = ::getpwnam("nobody");
    const uid_t nobody = found ? found->pw_uid : 0;
    const gid_t nobodyGroup = found ? found->pw_gid : 0;
    found = ::getpwnam("daemon");
    const uid_t daemon = found ? found->pw_uid : 0;
    if (::geteuid() != 0 || nobody == 0 || daemon == 0)
        GTEST_SKIP() << "needs root, who hands the lock to the user daemon and looks as the user nobody";
    QTemporaryDir dir;
    ASSERT_EQ(::chmod(dir.path().toLocal8Bit().constData(), 0755), 0);
    const std::string folder = dir.path().toStdString() + "/lock";
    ASSERT_EQ(::mkdir(folder.c_str(), 01777), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 01777), 0);
    const std::string path = folder + "/LCK..ttyS9";
    const long pid = endedPid();
    writeFile(path, ascii(pid));
    ASSERT_EQ(::chown(path.c_str(), daemon, 0), 0);

    ASSERT_EQ(::setegid(nobodyGroup), 0);
    ASSERT_EQ(::seteuid(nobody), 0);
    const auto finding = PortLocks({folder}).clearWay("/dev/ttyS9");
    ASSERT_EQ(::seteuid(0), 0);
    ASSERT_EQ(::setegid(0), 0);

    ASSERT_TRUE(finding);
    EXPECT_EQ(finding->trouble, LockTrouble::StaleKept);
    EXPECT_EQ(finding->text, "the lock file " + path + " was left by process " + std::to_string(pid) +
                                 ", which has ended, but it belongs to daemon and you may not remove it (Operation "
                                 "not permitted). Ask daemon or the administrator to remove it: \"sudo rm " +
                                 path + "\". Then try again.");
    EXPECT_TRUE(exists(path));
    // Its owner's turn: taken over.
    EXPECT_FALSE(PortLocks({folder}).clearWay("/dev/ttyS9"));
    EXPECT_FALSE(exists(path));
}

}  // namespace
