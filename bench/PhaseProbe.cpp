#include "PhaseProbe.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "Measures.h"
#include "link/Protocol.h"

namespace {

namespace protocol = korvel::link::protocol;

const int kReportLimitMs = 5000;

// Arrivals of one kind of data: how much, and when the first and last of it came.
class Tally {
public:
    void add(long count, BenchClock::time_point at)
    {
        if (count == 0)
            return;
        if (total_ == 0) {
            first_ = at;
            inFirst_ = count;
        }
        last_ = at;
        total_ += count;
    }
    long total() const { return total_; }
    double perSecond() const
    {
        const double seconds = secondsBetween(first_, last_);
        return seconds > 0 ? double(total_ - inFirst_) / seconds : 0;
    }

private:
    long total_ = 0;
    long inFirst_ = 0;
    BenchClock::time_point first_{};
    BenchClock::time_point last_{};
};

// The child's whole life: read every byte as it comes until the stop pipe
// closes, then write the figures and end.
[[noreturn]] void readUntilStopped(int master, int stop, int figuresOut, PhaseProbe::Target target)
{
    const std::string hello = protocol::kHello;
    Tally sync;
    Tally triples;
    std::string tail;  // the last bytes before this read, for a triple split across reads
    bool answered = target == PhaseProbe::Target::Silent;
    pollfd waits[2] = {{master, POLLIN, 0}, {stop, POLLIN, 0}};
    for (;;) {
        if (poll(waits, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (waits[0].revents & POLLIN) {
            char buffer[4096];
            const ssize_t n = read(master, buffer, sizeof buffer);
            const auto arrivedAt = BenchClock::now();
            const std::string seen = tail + std::string(buffer, std::size_t(n > 0 ? n : 0));
            long syncBytes = 0;
            long helloCount = 0;
            for (std::size_t i = tail.size(); i < seen.size(); ++i)
                syncBytes += seen[i] == protocol::kSyncByte;
            for (auto found = seen.find(hello); found != std::string::npos;
                 found = seen.find(hello, found + hello.size()))
                ++helloCount;
            sync.add(syncBytes, arrivedAt);
            triples.add(helloCount, arrivedAt);
            tail = seen.substr(seen.size() - std::min(seen.size(), hello.size() - 1));
            if (!answered && sync.total() > 0)
                answered = write(master, &protocol::kSyncAnswer, 1) == 1;
        } else if (waits[0].revents & (POLLHUP | POLLERR)) {
            waits[0].fd = -1;  // nothing more will come; wait for the stop alone
        }
        if (waits[1].revents)
            break;
    }
    const PhaseProbe::Figures figures{sync.total(), sync.perSecond(), triples.total(), triples.perSecond()};
    const bool sent = write(figuresOut, &figures, sizeof figures) == ssize_t(sizeof figures);
    _exit(sent ? 0 : 1);
}

}  // namespace

PhaseProbe::PhaseProbe(Target target)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        return;
    char name[128];
    termios raw{};
    int stop[2];
    int figures[2];
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0 ||
        (slave_ = open(name, O_RDWR | O_NOCTTY)) < 0 || tcgetattr(slave_, &raw) != 0 || pipe(stop) != 0) {
        close(master);
        return;
    }
    if (pipe(figures) != 0) {
        close(master);
        close(stop[0]);
        close(stop[1]);
        return;
    }
    cfmakeraw(&raw);
    tcsetattr(slave_, TCSANOW, &raw);

    pid_ = fork();
    if (pid_ == 0) {
        close(slave_);
        close(stop[1]);
        close(figures[0]);
        readUntilStopped(master, stop[0], figures[1], target);
    }
    close(master);
    close(stop[0]);
    close(figures[1]);
    stop_ = stop[1];
    figures_ = figures[0];
    if (pid_ > 0)
        devicePath_ = name;
}

PhaseProbe::~PhaseProbe()
{
    finish();
    if (slave_ >= 0)
        close(slave_);
}

std::optional<PhaseProbe::Figures> PhaseProbe::finish()
{
    if (stop_ < 0)
        return std::nullopt;
    close(stop_);
    stop_ = -1;
    Figures figures;
    pollfd ready{figures_, POLLIN, 0};
    const bool received =
        poll(&ready, 1, kReportLimitMs) > 0 && read(figures_, &figures, sizeof figures) == ssize_t(sizeof figures);
    close(figures_);
    figures_ = -1;
    if (pid_ > 0) {
        if (!received)
            kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    return received ? std::optional<Figures>(figures) : std::nullopt;
}
