#include "Pty.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace targetsim {

namespace {

std::string failure(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

bool makeRaw(int fd)
{
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    settings.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&settings, B115200);
    cfsetospeed(&settings, B115200);
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

}  // namespace

Pty::~Pty()
{
    close();
}

bool Pty::open(std::string& error)
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) {
        error = failure("posix_openpt");
        return false;
    }
    char name[128];
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname_r(master_, name, sizeof name) != 0) {
        error = failure("preparing the pseudo-terminal");
        return false;
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        error = failure("opening the slave side");
        return false;
    }
    if (!makeRaw(slave_)) {
        error = failure("setting raw mode");
        return false;
    }
    const int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0 || fcntl(master_, F_SETFD, FD_CLOEXEC) != 0) {
        error = failure("configuring the master side");
        return false;
    }
    return true;
}

void Pty::close()
{
    releaseSlave();
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

void Pty::releaseSlave()
{
    if (slave_ >= 0)
        ::close(slave_);
    slave_ = -1;
}

}  // namespace targetsim
