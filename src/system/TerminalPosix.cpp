// The terminal on Linux and other POSIX systems.
#include "system/Terminal.h"

#include <fcntl.h>
#include <iostream>
#include <sys/ioctl.h>
#include <unistd.h>

namespace korvel::system {

void prepareStandardStreams()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1)
            continue;
        // The lowest free descriptor is this one: the ones below it are open.
        const int null = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != fd) {
            ::dup2(null, fd);
            ::close(null);
        }
    }
}

bool isTerminal(StandardStream stream)
{
    switch (stream) {
    case StandardStream::Input:
        return ::isatty(STDIN_FILENO) != 0;
    case StandardStream::Output:
        return ::isatty(STDOUT_FILENO) != 0;
    case StandardStream::Error:
        return ::isatty(STDERR_FILENO) != 0;
    }
    return false;
}

int outputColumns()
{
    winsize size{};
    return ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

std::ostream& standardOutput()
{
    return std::cout;
}

std::ostream& standardError()
{
    return std::cerr;
}

std::vector<std::string> programArguments(int argc, char** argv)
{
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
}

bool joinParentConsole()
{
    return false;
}

}  // namespace korvel::system
