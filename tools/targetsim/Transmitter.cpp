#include "Transmitter.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

#include "link/Protocol.h"

namespace targetsim {

namespace {

// Noise never holds a character of the protocol, XON or XOFF, nor anything
// that could extend the version number that ends the handshake answer
// (digits, '.', signs, exponent letters).
std::string noiseAlphabet()
{
    namespace protocol = korvel::link::protocol;
    std::string alphabet;
    const std::string excluded = std::string(protocol::kAnswers) + protocol::kHelloAnswer + protocol::kSyncAnswer +
                                 protocol::kVersionMarker + protocol::kEepromOnly + "+.eEpPxX";
    for (int c = 0x01; c <= 0xFE; ++c) {
        const char byte = static_cast<char>(c);
        if (c == 0x11 || c == 0x13 || (c >= '0' && c <= '9'))
            continue;
        if (excluded.find(byte) != std::string::npos)
            continue;
        alphabet += byte;
    }
    return alphabet;
}

const std::string& alphabet()
{
    static const std::string letters = noiseAlphabet();
    return letters;
}

}  // namespace

Transmitter::Transmitter(Nanoseconds characterTime, bool noise, std::uint64_t seed)
    : characterTime_(characterTime)
    , noise_(noise)
    , random_(seed)
{
}

TimePoint Transmitter::send(const Reply& reply, TimePoint now)
{
    std::string bytes;
    if (noise_) {
        bytes = withNoise(reply);
    } else {
        for (const auto& part : reply.parts)
            bytes += part;
    }
    return enqueue(std::move(bytes), now + std::chrono::milliseconds(reply.delayMs));
}

TimePoint Transmitter::sendControl(char byte, TimePoint now)
{
    return enqueue(std::string(1, byte), now);
}

TimePoint Transmitter::enqueue(std::string bytes, TimePoint earliest)
{
    const TimePoint start = std::max(earliest, lineFree_);
    const TimePoint due = start + characterTime_ * static_cast<std::int64_t>(bytes.size());
    lineFree_ = due;
    queue_.push_back({due, std::move(bytes)});
    return due;
}

std::string Transmitter::withNoise(const Reply& reply)
{
    std::string bytes;
    appendNoise(bytes, 1, 4);
    for (std::size_t i = 0; i < reply.parts.size(); ++i) {
        if (i > 0)
            appendNoise(bytes, 0, 3);
        bytes += reply.parts[i];
    }
    appendNoise(bytes, 0, 3);
    return bytes;
}

void Transmitter::appendNoise(std::string& text, int minimum, int maximum)
{
    std::uniform_int_distribution<int> count(minimum, maximum);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet().size() - 1);
    for (int n = count(random_); n > 0; --n)
        text += alphabet()[pick(random_)];
}

bool Transmitter::flush(int fd, TimePoint now)
{
    blocked_ = false;
    while (!queue_.empty() && queue_.front().due <= now) {
        const std::string& bytes = queue_.front().bytes;
        const ssize_t n = ::write(fd, bytes.data() + written_, bytes.size() - written_);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                blocked_ = true;
                return true;
            }
            return false;
        }
        written_ += static_cast<std::size_t>(n);
        if (written_ == bytes.size()) {
            queue_.pop_front();
            written_ = 0;
        }
    }
    return true;
}

std::optional<TimePoint> Transmitter::nextDue() const
{
    if (queue_.empty() || blocked_)
        return std::nullopt;
    return queue_.front().due;
}

}  // namespace targetsim
