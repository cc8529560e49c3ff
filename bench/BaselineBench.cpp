// korvel-bench-baseline: the least a PC side can do for the same FLASH download,
// without Qt and without the program: raw termios on the terminal, the
// handshake written at the line's rate, then each line written (after what
// arrived before it is dropped, as a correct PC side must) and its answer
// awaited with poll(). The program's figures are measured against this one's,
// on the same machine at the same time. Reports key=value lines like
// korvel-bench-link.
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <string_view>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "BenchArgs.h"
#include "Measures.h"
#include "SimChild.h"
#include "link/Protocol.h"

namespace {

namespace protocol = korvel::link::protocol;
using std::chrono::milliseconds;
using std::chrono::seconds;

// Characters per second on the line: 10 bits per character.
constexpr double kCharactersPerSecond = 115200 / 10.0;
// How far the handshake writes ahead of the line's rate, in its own units:
// enough that the line never waits for the next write, little enough that
// what is still queued when the answer comes is small.
constexpr double kSyncLead = 64;
constexpr double kHelloLead = 2;
// How often the handshake looks for room to write when nothing arrives.
constexpr milliseconds kHandshakeStep{1};
constexpr seconds kPhase1Window{5};
constexpr seconds kPhase2Window{3};
constexpr seconds kAnswerLimit{3};
constexpr seconds kEndOfFileLimit{2};
constexpr seconds kWriteLimit{2};

// The terminal, raw, 115200 8N1 with XON/XOFF like the program's, non-blocking.
class RawLine {
public:
    explicit RawLine(const std::string& path) : fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
        termios settings{};
        if (fd_ < 0 || tcgetattr(fd_, &settings) != 0)
            return;
        cfmakeraw(&settings);
        settings.c_iflag |= IXON | IXOFF;
        settings.c_cflag |= CLOCAL | CREAD;
        cfsetispeed(&settings, B115200);
        cfsetospeed(&settings, B115200);
        usable_ = tcsetattr(fd_, TCSANOW, &settings) == 0;
    }
    ~RawLine()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    RawLine(const RawLine&) = delete;
    RawLine& operator=(const RawLine&) = delete;

    bool usable() const { return usable_; }

    // Writes what the terminal takes now; how many bytes that was, -1 on error.
    long writeSome(std::string_view bytes)
    {
        const ssize_t n = write(fd_, bytes.data(), bytes.size());
        if (n >= 0)
            return long(n);
        return errno == EAGAIN || errno == EINTR ? 0 : -1;
    }

    bool writeAll(std::string_view bytes)
    {
        const auto limit = BenchClock::now() + kWriteLimit;
        while (!bytes.empty()) {
            const long n = writeSome(bytes);
            if (n < 0)
                return false;
            bytes.remove_prefix(std::size_t(n));
            if (!bytes.empty() && !waitFor(POLLOUT, limit))
                return false;
        }
        return true;
    }

    // Waits until input comes or `until`, and appends what came; false on a
    // terminal error.
    bool readInto(std::string& received, BenchClock::time_point until)
    {
        if (!waitFor(POLLIN, until))
            return true;
        char buffer[4096];
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n > 0)
            received.append(buffer, std::size_t(n));
        return n > 0 || errno == EAGAIN || errno == EINTR;
    }

    void discardOutput() { tcflush(fd_, TCOFLUSH); }
    // Drops what arrived before a send: an answer to an earlier send, late,
    // must not count for the next one.
    void discardInput() { tcflush(fd_, TCIFLUSH); }

private:
    bool waitFor(short event, BenchClock::time_point until)
    {
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(until - BenchClock::now());
        if (left.count() <= 0)
            return false;
        const timespec wait{time_t(left.count() / 1'000'000'000), long(left.count() % 1'000'000'000)};
        pollfd ready{fd_, event, 0};
        return ppoll(&ready, 1, &wait, nullptr) > 0;
    }

    int fd_;
    bool usable_ = false;
};

// Writes `unit` over and over at the line's rate, at most `lead` units ahead
// of it, until `answer` arrives or `window` has passed. Adds the bytes written
// to `written`.
bool repeatUntil(RawLine& line, std::string_view unit, double lead, char answer, seconds window, long& written)
{
    const auto start = BenchClock::now();
    const double unitsPerSecond = kCharactersPerSecond / double(unit.size());
    long units = 0;
    std::string received;
    std::string outgoing;
    while (received.find(answer) == std::string::npos) {
        const auto now = BenchClock::now();
        if (now - start >= window)
            return false;
        for (const long due = long(secondsBetween(start, now) * unitsPerSecond + lead); units < due; ++units)
            outgoing += unit;
        const long taken = line.writeSome(outgoing);
        if (taken < 0 || !line.readInto(received, now + kHandshakeStep))
            return false;
        outgoing.erase(0, std::size_t(taken));
        written += taken;
    }
    // What has not gone out yet would arrive in the middle of what follows.
    line.discardOutput();
    return true;
}

bool containsAny(const std::string& text, const char* characters)
{
    return text.find_first_of(characters) != std::string::npos;
}

// Reads until one of `characters` is among the received bytes or `limit` has passed.
bool awaitAny(RawLine& line, std::string& received, const char* characters, seconds limit)
{
    const auto until = BenchClock::now() + limit;
    while (!containsAny(received, characters)) {
        if (BenchClock::now() >= until || !line.readInto(received, until))
            return false;
    }
    return true;
}

struct Transfer {
    std::string outcome = "accepted";
    std::vector<BenchClock::time_point> linesWrittenAt;
    BenchClock::time_point endedAt{};
};

// Each line written once and answered, then the end-of-file answer.
Transfer sendLines(RawLine& line, const std::vector<std::string>& lines)
{
    Transfer transfer;
    std::string answers;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        transfer.linesWrittenAt.push_back(BenchClock::now());
        answers.clear();
        const std::string number = std::to_string(i + 1);
        line.discardInput();
        if (!line.writeAll(lines[i]))
            transfer.outcome = "line " + number + " could not be written";
        else if (!awaitAny(line, answers, protocol::kAnswers, kAnswerLimit))
            transfer.outcome = "no answer to line " + number;
        else if (!containsAny(answers, protocol::kAcceptedAnswers))
            transfer.outcome = "line " + number + " refused";
        if (transfer.outcome != "accepted")
            return transfer;
    }
    // The target ends the file with "#" and the download with "@" after it.
    const char downloadDone[] = {protocol::kDownloadDone, '\0'};
    if (!awaitAny(line, answers, downloadDone, kEndOfFileLimit))
        transfer.outcome = answers.find(protocol::kFileEnded) == std::string::npos
                               ? "no end-of-file answer"
                               : "the download was not reported complete";
    transfer.endedAt = BenchClock::now();
    return transfer;
}

void reportLineGaps(const std::vector<BenchClock::time_point>& writtenAt)
{
    if (writtenAt.size() < 3)
        return;
    std::vector<double> laterGaps;
    for (std::size_t i = 2; i < writtenAt.size(); ++i)
        laterGaps.push_back(secondsBetween(writtenAt[i - 1], writtenAt[i]));
    report("first_line_seconds", secondsBetween(writtenAt[0], writtenAt[1]));
    report("later_line_median_seconds", median(laterGaps));
    report("later_line_p99_seconds", percentile99(laterGaps));
}

}  // namespace

int main(int argc, char** argv)
{
    BenchArgs args;
    if (!parseBenchArgs(argc, argv, args) || args.flashPath.empty() || args.targetsim.empty())
        return 2;
    SimChild target(args.targetsim, args.simOptions);
    if (target.devicePath().empty())
        return 1;
    const std::vector<std::string> lines = hexLines(args.flashPath);

    const double processorBefore = processorSeconds();
    RawLine line(target.devicePath());
    long syncBytes = 0;
    long helloBytes = 0;
    Transfer transfer;
    if (!line.usable())
        transfer.outcome = "the terminal could not be opened";
    else if (!repeatUntil(line, std::string(1, protocol::kSyncByte), kSyncLead, protocol::kSyncAnswer, kPhase1Window,
                          syncBytes))
        transfer.outcome = "no answer to the sync bytes";
    else if (!repeatUntil(line, protocol::kHello, kHelloLead, protocol::kHelloAnswer, kPhase2Window, helloBytes))
        transfer.outcome = "no answer to the handshake";
    else
        transfer = sendLines(line, lines);
    const double processorUsed = processorSeconds() - processorBefore;

    const HexFileFigures figures = hexFileFigures(args.flashPath);
    report("success", transfer.outcome == "accepted" ? "yes" : "no");
    report("outcome", transfer.outcome);
    report("lines", figures.lines);
    report("line_characters", figures.characters);
    if (!transfer.linesWrittenAt.empty() && transfer.outcome == "accepted")
        report("transfer_seconds", secondsBetween(transfer.linesWrittenAt.front(), transfer.endedAt));
    report("processor_seconds", processorUsed);
    report("peak_rss_kib", peakResidentKiB());
    report("sync_bytes_written", syncBytes);
    report("handshake_triples_written", helloBytes / long(std::string_view(protocol::kHello).size()));
    reportLineGaps(transfer.linesWrittenAt);
    return 0;
}
