#include "SimChild.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const int kStartLimitMs = 5000;

}  // namespace

SimChild::SimChild(const std::string& program, const std::vector<std::string>& options)
{
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return;
    std::vector<std::string> words{program};
    words.insert(words.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    pid_ = fork();
    if (pid_ == 0) {
        // The simulator stands for the wire: its timers should fire when the
        // line would deliver, not up to the default 50 us later.
        prctl(PR_SET_TIMERSLACK, 1UL);
        dup2(out[1], STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    out_ = out[0];
    if (pid_ < 0)
        return;

    // The path is the first line; a pipe from a fresh child delivers it at once.
    std::string line;
    pollfd ready{out_, POLLIN, 0};
    while (line.find('\n') == std::string::npos && poll(&ready, 1, kStartLimitMs) > 0) {
        char buffer[256];
        const ssize_t n = read(out_, buffer, sizeof buffer);
        if (n <= 0)
            return;
        line.append(buffer, std::size_t(n));
    }
    if (const auto end = line.find('\n'); end != std::string::npos)
        devicePath_ = line.substr(0, end);
}

SimChild::~SimChild()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0)
        close(out_);
}
