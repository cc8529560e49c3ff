// korvel-targetsim: plays the target's serial bootloader on a pseudo-terminal, so the
// downloader can be tried, tested and timed without a board.

#include "Pty.h"
#include "SimOptions.h"
#include "Simulator.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void onStopSignal(int)
{
    stopRequested = 1;
}

// Blocks the stop signals except while waiting, so none is lost between checks; returns
// the mask to wait with.
sigset_t installStopSignals()
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(signal, &action, nullptr);
        sigaddset(&stopSignals, signal);
    }
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t waitMask;
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigdelset(&waitMask, signal);
    return waitMask;
}

// Makes `linkPath` point at the terminal; an old symbolic link there is replaced, any
// other file is left alone.
bool makeLink(const std::string& linkPath, const std::string& target, std::string& error)
{
    struct stat existing {};
    if (lstat(linkPath.c_str(), &existing) == 0) {
        if (!S_ISLNK(existing.st_mode)) {
            error = linkPath + " exists and is not a symbolic link";
            return false;
        }
        unlink(linkPath.c_str());
    }
    if (symlink(target.c_str(), linkPath.c_str()) != 0) {
        error = "cannot create " + linkPath + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

int fail(const std::string& message, int status)
{
    std::cerr << "korvel-targetsim: " << message << std::endl;
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    targetsim::SimOptions options;
    std::string message;
    switch (targetsim::parseOptions(argc, argv, options, message)) {
    case targetsim::ParseOutcome::Help:
        std::cout << targetsim::kUsage;
        return 0;
    case targetsim::ParseOutcome::Error:
        std::cerr << "korvel-targetsim: " << message << "\n" << targetsim::kUsage;
        return 2;
    case targetsim::ParseOutcome::Run:
        break;
    }
    // Without --seed every run has its own noise; the summary names the seed to replay it.
    if (!options.seed)
        options.seed = std::random_device{}();

    const sigset_t waitMask = installStopSignals();
    targetsim::Pty pty;
    if (!pty.open(message))
        return fail(message, 1);
    if (!options.linkPath.empty() && !makeLink(options.linkPath, pty.slavePath(), message))
        return fail(message, 1);
    std::cout << pty.slavePath() << std::endl;

    targetsim::Simulator simulator(options, pty);
    std::string runError;
    const bool ran = simulator.run(waitMask, stopRequested, runError);
    std::string imageError;
    const bool imagesWritten = simulator.writeImages(imageError);
    if (!options.linkPath.empty())
        unlink(options.linkPath.c_str());
    std::cerr << "korvel-targetsim: " << simulator.summary() << std::endl;
    if (!ran)
        return fail(runError, 1);
    if (!imagesWritten)
        return fail(imageError, 1);
    return 0;
}
