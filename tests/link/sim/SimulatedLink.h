#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/BootloaderLink.h"
#include "link/Protocol.h"

namespace korvel::linktest {

namespace protocol = link::protocol;

// Thrown when a simulated run exceeds its limits. Deliberately not a
// std::exception, so that the download cannot take it for one of its errors.
struct SimulationLimit {
    std::string what;
};

// Virtual time in microseconds: an ordered queue of actions that run only inside
// the link's yields, the clock, and a journal of what happened when. A waiting
// yield jumps from action to action until one that wakes the link has run;
// the far end's own doings (a target receiving) do not wake it.
class World : public link::EventPump, public link::Clock {
public:
    using Handle = std::pair<long long, std::uint64_t>;  // time, order of scheduling
    struct Entry {
        long long us;
        std::string what;
    };

    long long now() const { return now_; }
    Handle after(long long us, std::function<void()> action, bool wakes = true)
    {
        const Handle handle{now_ + std::max(0LL, us), nextOrder_++};
        queue_.emplace(handle, std::make_pair(std::move(action), wakes));
        return handle;
    }
    void cancel(const Handle& handle) { queue_.erase(handle); }
    void yieldOnce() override { runDue(); }
    void yieldWaiting() override
    {
        ++wakeUps;
        while (!runDue()) {
            if (queue_.empty())
                throw SimulationLimit{"waiting with nothing scheduled"};
            now_ = std::max(now_, queue_.begin()->first.first);
            if (now_ > 900'000'000)
                throw SimulationLimit{"virtual time limit reached"};
        }
    }
    long long wholeSeconds() override { return (now_ + clockPhaseUs) / 1'000'000 + 86'399; }
    long long microseconds() override { return clockStartUs + now_; }

    void add(std::string what) { entries.push_back({now_, std::move(what)}); }
    // The time of the first entry that starts with the text, -1 when none.
    long long timeOf(const std::string& start) const
    {
        for (const Entry& entry : entries)
            if (entry.what.compare(0, start.size(), start) == 0)
                return entry.us;
        return -1;
    }
    bool has(const std::string& start) const { return timeOf(start) >= 0; }
    std::string text() const
    {
        std::string all;
        for (const Entry& entry : entries)
            all += std::to_string(entry.us) + " " + entry.what + "\n";
        return all;
    }

    std::vector<Entry> entries;
    long long clockPhaseUs = 0;  // moves the second boundaries against virtual time
    long long clockStartUs = 0;  // what the microsecond clock reads at the start: the machine's uptime
    long long wakeUps = 0;       // waiting yields

private:
    // Runs the actions due now that were scheduled before the call; true if one
    // that wakes the link ran.
    bool runDue()
    {
        if (++yields_ > 5'000'000)
            throw SimulationLimit{"too many yields"};
        const std::uint64_t before = nextOrder_;
        bool woke = false;
        while (!queue_.empty() && queue_.begin()->first.first <= now_ && queue_.begin()->first.second < before) {
            auto [action, wakes] = std::move(queue_.begin()->second);
            queue_.erase(queue_.begin());
            action();
            woke = woke || wakes;
        }
        return woke;
    }

    long long now_ = 0;
    long long yields_ = 0;
    std::uint64_t nextOrder_ = 0;
    std::map<Handle, std::pair<std::function<void()>, bool>> queue_;
};

class SimTimer : public link::Timer {
public:
    SimTimer(World& world, int intervalMs) : world_(world), intervalMs_(intervalMs) {}
    void setInterval(int milliseconds) override { intervalMs_ = milliseconds; }
    int interval() const override { return intervalMs_; }
    void setEnabled(bool enabled) override
    {
        if (enabled && !next_)
            startWithFirstTickAfter(intervalMs_ * 1000LL);
        else if (!enabled && next_)
            world_.cancel(*std::exchange(next_, std::nullopt));
    }
    bool isEnabled() const override { return next_.has_value(); }
    void setTickHandler(std::function<void()> handler) override { handler_ = std::move(handler); }
    // Enabled, with the first tick this long from now: a free-running timer's phase.
    void startWithFirstTickAfter(long long us)
    {
        if (next_)
            world_.cancel(*next_);
        next_ = world_.after(us, [this] {
            next_.reset();
            startWithFirstTickAfter(intervalMs_ * 1000LL);
            if (handler_)
                handler_();
        });
    }

private:
    World& world_;
    int intervalMs_;
    std::function<void()> handler_;
    std::optional<World::Handle> next_;
};

// The bytes the bootloader listens for, written out as its firmware knows
// them rather than taken from the program's protocol header, so that a
// program that changes one of them talks to a target that no longer hears it.
namespace wire {
inline constexpr char kSync = '\x55';
inline constexpr char kHello[] = "@&$";
inline constexpr char kEepromThenFlash[] = "*!";
inline constexpr char kEepromOnly[] = "*";
}  // namespace wire

// The bootloader at the other end of the line, answering from a script. An
// empty answer is silence.
struct Target {
    std::string syncAnswer = "$";         // to the first block of 0x55
    std::string helloAnswer = "?G1.28";   // to the first calls "@&$"
    std::deque<std::string> lineAnswers;  // one per line received, in order
    std::string otherLines = "~";         // once lineAnswers is used up
    // After a line that ends a file (record type 01), delayUs after its answer.
    std::deque<std::string> endOfFileAnswers;
    std::string otherEndsOfFile = "#@";
    long long delayUs = 2'000;  // of every answer
    // When set, more for each line received: bytes and how long after its receipt they are sent.
    std::function<std::vector<std::pair<long long, std::string>>(const std::string& line)> replies;
    bool charByChar = false;               // an answer reaches the PC a character at a time, as a line delivers it
    bool synced = false, greeted = false;  // false again after a target reset

    // The answer to what arrived; none to the selector and to repeated calls.
    std::optional<std::string> answerTo(const std::string& bytes)
    {
        if (bytes.find_first_not_of(wire::kSync) == std::string::npos)
            return std::exchange(synced, true) ? std::nullopt : std::optional(syncAnswer);
        if (bytes.rfind(wire::kHello, 0) == 0)
            return std::exchange(greeted, true) ? std::nullopt : std::optional(helloAnswer);
        if (bytes == wire::kEepromThenFlash || bytes == wire::kEepromOnly)
            return std::nullopt;
        return next(lineAnswers, otherLines);
    }
    static std::string next(std::deque<std::string>& script, const std::string& fallback)
    {
        if (script.empty())
            return fallback;
        std::string front = script.front();
        script.pop_front();
        return front;
    }
};

// Ports 1 to 3 at the protocol's speed behind a transmit queue, which each
// write records; the target sees a write once its last byte has left the
// queue. The queue is a UART's, or a pseudo-terminal's: invisible, and beyond
// dropping.
class SimPort : public link::SerialPort {
public:
    SimPort(World& world, Target& target) : world_(world), target_(target) {}

    void setPortNumber(int number) override { number_ = number; }
    int portNumber() const override { return number_; }
    std::string portLabel() const override { return "COM" + std::to_string(number_); }
    void setLineSettings(const link::LineSettings& settings) override { lineSettings = settings; }
    void open() override
    {
        ++openTries;
        if (open_ || number_ < 1 || number_ > 3)
            throw link::PortError("cannot open");
        if (world_.now() < openableFromUs)
            throw link::PortError("no such device");
        open_ = true;
        world_.add("port open " + std::to_string(number_));
    }
    void close() override
    {
        if (!open_)
            return;
        dropQueuedOutput();
        open_ = false;
        received_.clear();
        world_.add("port closed");
    }
    bool isOpen() const override { return open_; }
    void write(std::string_view bytes) override
    {
        requireOpen();
        if (failWrite && failWrite(bytes))
            throw link::PortError("write failed");
        writes.push_back({world_.now(), std::string(bytes), queuedBytes()});
        queueEndUs_ =
            std::max(queueEndUs_, world_.now()) + static_cast<long long>(bytes.size()) * 1'000'000 / kBytesPerSecond;
        const auto received = [this, sent = std::string(bytes)] {
            const long long delay = target_.delayUs;
            if (auto answer = target_.answerTo(sent))
                send(delay, *answer);
            if (sent.rfind(":", 0) == 0 && target_.replies)
                for (const auto& [afterUs, reply] : target_.replies(sent))
                    send(afterUs, reply);
            if (sent.compare(0, 9, ":00000001") == 0)
                send(2 * delay, Target::next(target_.endOfFileAnswers, target_.otherEndsOfFile));
        };
        inFlight_.push_back(world_.after(queueEndUs_ - world_.now(), received, false));
    }
    int bytesWaiting() override { return static_cast<int>(readable().size()); }
    int bytesQueued() override { return open_ && !pty ? static_cast<int>(queuedBytes()) : 0; }
    std::string readAll() override { return std::exchange(readable(), {}); }
    void discardInput() override { readable().clear(); }
    void discardOutput() override
    {
        requireOpen();
        if (!pty)
            dropQueuedOutput();
        world_.add("output discarded");
    }
    int lastEventCode() const override { return eventCode; }

    // The target sends these bytes; they arrive after the delay, at once or
    // one character time apart.
    void send(long long afterUs, std::string bytes)
    {
        const std::size_t piece = target_.charByChar ? 1 : bytes.size();
        for (std::size_t i = 0; i < bytes.size(); i += piece) {
            world_.after(afterUs + static_cast<long long>(i) * 1'000'000 / kBytesPerSecond,
                         [this, part = bytes.substr(i, piece)] {
                             if (open_)
                                 received_ += part;
                         });
        }
    }

    struct Write {
        long long us;
        std::string bytes;
        long long queued = 0;  // bytes queued toward the target just before
    };
    std::vector<Write> writes;
    bool pty = false;  // shows no queue, and what was written is beyond dropping
    std::optional<link::LineSettings> lineSettings;
    int eventCode = 0;
    std::function<bool(std::string_view)> failWrite;  // true: this write fails
    bool failReads = false;
    long long openableFromUs = 0;  // the device appears then
    int openTries = 0;

private:
    static constexpr long long kBytesPerSecond = protocol::kLineSettings.baudRate / 10;

    void requireOpen() const
    {
        if (!open_)
            throw link::PortError("port closed");
    }
    std::string& readable()
    {
        requireOpen();
        if (failReads)
            throw link::PortError("read failed");
        return received_;
    }
    long long queuedBytes() const
    {
        return (std::max(0LL, queueEndUs_ - world_.now()) * kBytesPerSecond + 999'999) / 1'000'000;
    }
    void dropQueuedOutput()
    {
        for (const auto& handle : inFlight_)
            world_.cancel(handle);
        inFlight_.clear();
        queueEndUs_ = world_.now();
    }

    World& world_;
    Target& target_;
    int number_ = 0;
    bool open_ = false;
    std::string received_;
    long long queueEndUs_ = 0;  // when everything queued will have been sent
    std::vector<World::Handle> inFlight_;
};

// Writes what the download reports into the journal ("message: text",
// "message!: text" for a warning, "success: text", "ask: question", "ended",
// ...) and answers questions from a script.
class RecordingFrontEnd : public link::FrontEnd {
public:
    explicit RecordingFrontEnd(World& world) : world_(world) {}

    void downloadStarting() override { world_.add("starting"); }
    void waitingForPort(const std::string& label, int seconds, const std::string& why) override
    {
        world_.add("waiting " + std::to_string(seconds) + " s for " + label + ": " + why);
    }
    void targetResponded() override { world_.add("target responded"); }
    void versionRead(const std::string& version) override { world_.add("version " + version); }
    void openingFile(link::FileKind kind, const std::string& path) override
    {
        world_.add("opening " + std::to_string(static_cast<int>(kind)) + " " + path);
    }
    void sendingFile(link::FileKind kind) override { world_.add("sending " + std::to_string(static_cast<int>(kind))); }
    void showLinesLeft(int linesLeft) override { linesShown.emplace_back(world_.now(), linesLeft); }
    void lineDone(const link::LineProgress& progress) override { linesDone.push_back(progress); }
    void lineSkippedLate(link::FileKind kind, int lineNumber) override
    {
        world_.add("skipped late " + std::to_string(static_cast<int>(kind)) + " " + std::to_string(lineNumber));
    }
    void betweenFiles() override { world_.add("between files"); }
    void downloadEnded(link::DownloadResult) override { world_.add("ended"); }
    void message(const link::Message& message) override { world_.add(entryOf(message)); }
    bool ask(const link::Message& question) override
    {
        world_.add(entryOf(question));
        if (whileAsking)
            whileAsking();
        EXPECT_FALSE(answers.empty()) << "unexpected question: " << question.text;
        const bool yes = !answers.empty() && answers.front();
        if (!answers.empty())
            answers.pop_front();
        return yes;
    }
    bool cancelRequested() override { return cancelWhen && cancelWhen(); }

    std::deque<bool> answers;  // Yes / No for the questions, in order
    std::function<bool()> cancelWhen;
    std::function<void()> whileAsking;                  // runs while a question is open, as the box runs events
    std::vector<std::pair<long long, int>> linesShown;  // time, count
    std::vector<link::LineProgress> linesDone;

private:
    static std::string entryOf(const link::Message& message)
    {
        const char* const prefixes[] = {"message: ", "message!: ", "success: ", "ask: "};
        return prefixes[static_cast<int>(message.kind)] + link::shownText(message);
    }

    World& world_;
};

// HEX files held as lines, read with CR LF line ends; each read goes into the
// journal. A missing one resolves to a path under /bench. A read may first
// wait for a pipe's writer, as often as `writerWaits` says.
class MemoryHexFiles : public link::HexFiles {
public:
    explicit MemoryHexFiles(World& world) : world_(world) {}
    std::string read(const std::string& path, const KeepWaiting& keepWaiting) override
    {
        const auto found = files.find(path);
        if (found == files.end())
            throw link::FileOpenError("No such file or directory", path[0] == '/' ? path : "/bench/" + path);
        world_.add("file read " + path);
        if (failure)
            throw *failure;
        for (int wait = 0; wait < writerWaits; ++wait) {
            if (whileWaiting)
                whileWaiting();
            if (!keepWaiting())
                throw link::FileError(link::FileError::Cause::Interrupted);
        }
        std::string text;
        for (const auto& line : found->second)
            text += line + "\r\n";
        return text;
    }

    std::map<std::string, std::vector<std::string>> files;
    std::optional<link::FileError> failure;  // how reading an existing file fails
    int writerWaits = 0;                     // waits for a pipe's writer before the text comes
    std::function<void()> whileWaiting;      // what happens outside during each of them

private:
    World& world_;
};

// One window's worth of download: the link, its timers as the window sets them
// up, a port with a scripted target, a recording front end and files in memory.
struct SimulatedLink {
    explicit SimulatedLink(link::Flavour flavour = {})
        : link(link::LinkSeams{port, frontEnd, TmrSyn, TmrWaitAnsw, TmrShowLine, paceTimer, world, world, files},
               flavour)
    {
        TmrWaitAnsw.startWithFirstTickAfter(17'000);
        files.files["flash.hex"] = {":100000000C9434000C943E000C943E000C943E0082", ":00000001FF"};
        files.files["eeprom.hex"] = {":02000000AA55FF", ":00000001FF"};
    }

    // Runs one download; a run beyond the simulation's limits fails the test.
    link::DownloadResult run(const link::DownloadChoice& choice)
    {
        try {
            return link.DownloadFiles(choice);
        } catch (const SimulationLimit& limit) {
            ADD_FAILURE() << "simulation stopped: " << limit.what << "\n" << world.text();
            return link::DownloadResult::NotValid;
        }
    }
    // The choice of a FLASH file only, on COM1.
    static link::DownloadChoice flash(const std::string& path = "flash.hex") { return {true, false, path, "", 1}; }

    // Writes that are not handshake traffic (no sync blocks, no calls of phase 2).
    std::vector<SimPort::Write> transferWrites() const
    {
        std::vector<SimPort::Write> result;
        for (const auto& write : port.writes)
            if (write.bytes.find_first_not_of(wire::kSync) != std::string::npos &&
                write.bytes.rfind(wire::kHello, 0) != 0)
                result.push_back(write);
        return result;
    }
    // Whether the journal holds entries starting with these texts in this order.
    bool inOrder(const std::vector<std::string>& starts) const
    {
        std::size_t next = 0;
        for (const auto& entry : world.entries)
            if (next < starts.size() && entry.what.compare(0, starts[next].size(), starts[next]) == 0)
                ++next;
        return next == starts.size();
    }
    bool wroteCalls() const
    {
        return std::any_of(port.writes.begin(), port.writes.end(),
                           [](const auto& write) { return write.bytes.rfind(wire::kHello, 0) == 0; });
    }
    int writesOf(const std::string& bytes) const
    {
        return static_cast<int>(
            std::count_if(port.writes.begin(), port.writes.end(), [&](const auto& w) { return w.bytes == bytes; }));
    }

    World world;
    Target target;
    SimPort port{world, target};
    RecordingFrontEnd frontEnd{world};
    SimTimer TmrSyn{world, protocol::kFirstSyncWindowMs};
    SimTimer TmrWaitAnsw{world, protocol::kAnswerTickMs};
    SimTimer TmrShowLine{world, protocol::kShowLinesMs};
    SimTimer paceTimer{world, 0};
    MemoryHexFiles files{world};
    link::BootloaderLink link;
};

}  // namespace korvel::linktest
