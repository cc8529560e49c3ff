#include "Simulator.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <iostream>
#include <poll.h>
#include <sstream>
#include <sys/ioctl.h>
#include <unistd.h>

namespace targetsim {

namespace {

constexpr char kXon = 0x11;
constexpr char kXoff = 0x13;
constexpr std::size_t kReadChunk = 4096;
// A record that stops arriving part-way is refused after this much silence.
constexpr std::chrono::milliseconds kRecordTimeout{1000};
// After a --once download the PC still has to read the last answer: closing the line
// earlier would discard it. The simulator ends when the PC closes the port, or after this.
constexpr std::chrono::seconds kOnceLinger{30};

timespec untilDeadline(TimePoint deadline, TimePoint now)
{
    const auto wait = deadline > now ? std::chrono::duration_cast<Nanoseconds>(deadline - now) : Nanoseconds{0};
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait);
    return {static_cast<time_t>(seconds.count()), static_cast<long>((wait - seconds).count())};
}

}  // namespace

Simulator::Simulator(const SimOptions& options, Pty& pty)
    : options_(options)
    , pty_(pty)
    , bootloader_(options)
    , transmitter_(characterTime(options.paceBaud), options.noise, options.seed.value_or(0))
    , pacer_(characterTime(options.paceBaud))
{
}

bool Simulator::run(const sigset_t& waitMask, const volatile std::sig_atomic_t& stopRequested, std::string& error)
{
    while (!stopRequested) {
        TimePoint now = Clock::now();
        if (!transmitter_.flush(pty_.master(), now)) {
            error = std::string("writing to the line: ") + std::strerror(errno);
            return false;
        }
        if (finished(now))
            break;

        pollfd line{pty_.master(), 0, 0};
        if (!finishing_ && pacer_.idle())
            line.events |= POLLIN;
        if (transmitter_.blocked())
            line.events |= POLLOUT;
        const auto deadline = nextDeadline();
        timespec timeout{};
        if (deadline)
            timeout = untilDeadline(*deadline, now);
        const int ready = ppoll(&line, 1, deadline ? &timeout : nullptr, &waitMask);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            error = std::string("waiting for the line: ") + std::strerror(errno);
            return false;
        }

        now = Clock::now();
        onTimers(now);
        if (lingerUntil_ && (line.revents & POLLHUP))
            break;
        if (line.revents & (POLLERR | POLLHUP | POLLNVAL)) {
            error = "the line was hung up";
            return false;
        }
        if (line.revents & POLLIN)
            pacer_.dataArrived(now);
        const bool mayRead = (line.revents & POLLIN) || !pacer_.idle();
        if (!finishing_ && mayRead && !receive(now, error))
            return false;
    }
    if (closeLineAtEnd_)
        pty_.close();
    return true;
}

void Simulator::onTimers(TimePoint now)
{
    if (xonAt_ && *xonAt_ <= now) {
        transmitter_.sendControl(kXon, now);
        xonAt_.reset();
    }
    if (recordStalled() && now - lastByteAt_ >= kRecordTimeout) {
        bootloader_.abandonRecord();
        forwardReplies(now);
    }
}

// A record has begun and nothing more of it is waiting to be read.
bool Simulator::recordStalled() const
{
    return bootloader_.inRecord() && pacer_.idle();
}

bool Simulator::finished(TimePoint now)
{
    if (!finishing_ || !transmitter_.empty())
        return false;
    if (closeLineAtEnd_)
        return true;
    if (!lingerUntil_) {
        pty_.releaseSlave();
        lingerUntil_ = now + kOnceLinger;
    }
    return now >= *lingerUntil_;
}

bool Simulator::receive(TimePoint now, std::string& error)
{
    const std::size_t asked = pacer_.allowance(now, kReadChunk);
    if (asked == 0)
        return true;
    char buffer[kReadChunk];
    const ssize_t n = ::read(pty_.master(), buffer, asked);
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        error = std::string("reading the line: ") + std::strerror(errno);
        return false;
    }
    const std::size_t got = n > 0 ? static_cast<std::size_t>(n) : 0;
    pacer_.consumed(got, asked);
    for (std::size_t i = 0; i < got && !finishing_; ++i)
        handleByte(buffer[i], pacer_.arrivalOf(i, got, now));
    if (got > 0)
        lastByteAt_ = now;
    return true;
}

void Simulator::handleByte(char byte, TimePoint now)
{
    const std::uint64_t linesBefore = bootloader_.linesReceived();
    const std::uint64_t downloadsBefore = bootloader_.statistics().downloads;
    meter_.received(byte, now);
    bootloader_.receive(byte);

    // The XOFF goes ahead of the line's answer: a PC that has read the answer is
    // certainly held, and cannot slip another line in before the XOFF reaches it.
    const std::uint64_t lines = bootloader_.linesReceived();
    if (lines != linesBefore && lines == options_.xoffAfter) {
        const TimePoint sentAt = transmitter_.sendControl(kXoff, now);
        if (options_.xonAfterMs)
            xonAt_ = sentAt + std::chrono::milliseconds(*options_.xonAfterMs);
    }
    forwardReplies(now);
    if (lines != linesBefore && lines == options_.closeAfter) {
        finishing_ = true;
        closeLineAtEnd_ = true;
    }
    if (bootloader_.statistics().downloads != downloadsBefore) {
        std::string error;
        if (!writeImages(error))
            std::cerr << "korvel-targetsim: " << error << std::endl;
        if (options_.once)
            finishing_ = true;
    }
}

void Simulator::forwardReplies(TimePoint now)
{
    for (const auto& reply : bootloader_.takeReplies()) {
        const TimePoint leftAt = transmitter_.send(reply, now);
        if (!reply.parts.empty() && !reply.parts.front().empty())
            meter_.answered(reply.parts.front().front(), leftAt);
    }
}

std::optional<TimePoint> Simulator::nextDeadline() const
{
    std::optional<TimePoint> deadline = transmitter_.nextDue();
    auto consider = [&deadline](std::optional<TimePoint> candidate) {
        if (candidate && (!deadline || *candidate < *deadline))
            deadline = candidate;
    };
    if (!finishing_ && !pacer_.idle())
        consider(pacer_.nextRead(waitingInput()));
    consider(xonAt_);
    consider(lingerUntil_);
    if (recordStalled())
        consider(lastByteAt_ + kRecordTimeout);
    return deadline;
}

std::size_t Simulator::waitingInput() const
{
    int count = 0;
    return ioctl(pty_.master(), FIONREAD, &count) == 0 && count > 0 ? static_cast<std::size_t>(count) : 0;
}

bool Simulator::writeImages(std::string& error) const
{
    bool ok = true;
    auto write = [&](const std::string& path, const korvel::intelhex::HexImage& image) {
        if (path.empty() || image.writeTo(path))
            return;
        error += (error.empty() ? "cannot write " : ", ") + path;
        ok = false;
    };
    write(options_.flashOut, bootloader_.flash());
    write(options_.eepromOut, bootloader_.eeprom());
    return ok;
}

std::string Simulator::summary() const
{
    const Statistics& stats = bootloader_.statistics();
    std::ostringstream text;
    text << stats.accepted << " records accepted, " << stats.resends << " resends seen, " << stats.refused
         << " refused, " << stats.dropped << " dropped, " << stats.downloads << " downloads completed";
    if (options_.noise)
        text << ", noise seed " << options_.seed.value_or(0);
    if (pacer_.paced())
        text << "; paced line: sync bytes at most " << std::lround(meter_.longestSyncInterval().count() / 1000.0)
             << " us apart, " << meter_.syncBytesAfterAnswer() << " sync bytes after \"$\", "
             << meter_.callsAfterAnswer() << " calls after \"?\"";
    return text.str();
}

}  // namespace targetsim
