#include "model/TransferModel.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <map>
#include <set>
#include <tuple>
#include <utility>

namespace korvel::linktest {
namespace {

using link::DownloadResult;
using link::FileKind;

constexpr long long kSecondUs = 1'000'000;
constexpr long long kBytesPerSecond = 11'520;  // 115 200 baud, ten bits to a character
constexpr long long kTickUs = 60'000;          // the free-running answer tick
constexpr long long kShowLineUs = kSecondUs;   // the refresh of the lines remaining, which the waits also see
constexpr char kAnswers[] = "~#@-%", kAccepts[] = "~#@", kRefusals[] = "-%";

bool holds(const std::string& text, const char* set)
{
    return text.find_first_of(set) != std::string::npos;
}

std::string fileName(FileKind kind)
{
    return kind == FileKind::Eeprom ? "EEPROM" : "FLASH";
}

// Thrown by the model to itself when the download is over. Questions take no
// time, as in the bench, so nothing arrives while one is open.
struct Ended {};

class TransferModel {
public:
    explicit TransferModel(const ModelInput& input) : in_(input), now_(input.startUs), queueEndUs_(input.startUs)
    {
        for (const auto& file : in_.files)
            files_[file.first].lines = static_cast<int>(file.second.size());
    }

    ModelResult run()
    {
        try {
            const bool both = in_.files.size() > 1;
            if (in_.files.front().first == FileKind::Eeprom)
                write(both ? "*!" : "*");
            for (std::size_t index = 0; index < in_.files.size(); ++index)
                sendFile(index, index + 1 == in_.files.size());
            const FileKind first = in_.files.front().first;
            if (holds(rx_, "@"))
                end(DownloadResult::Success, both ? "FLASH & EEPROM files successfully downloaded."
                                             : first == FileKind::Flash ? "FLASH file successfully downloaded."
                                                                        : "EEPROM file successfully downloaded.");
            end(DownloadResult::EndOfFileError,
                holds(rx_, "#") ? "Error while downloading file."
                                : "Error while downloading file: No response from target Bootloader at end of file.");
        } catch (const Ended&) {
        }
        for (const auto& file : in_.files)
            out_.record.counts.push_back(files_[file.first].counts);
        return out_;
    }

private:
    struct Send {
        SendKey key;
        bool answeredInWait = false;
        std::string lateRefusals;  // not yet asked about
    };
    struct File {
        int lines = 0;
        FileCounts counts;
        std::vector<std::size_t> sends;  // into sends_
        std::vector<int> sendLines;
        std::string counted;                   // the answers M4 counts
        std::vector<std::size_t> sendsBefore;  // of each: the file's sends written before it was read
        bool lastLineSent = false, endHash = false, endAt = false;
        std::set<int> skipped;
    };
    enum class When { InWait, Late };

    void sendFile(std::size_t index, bool lastFile)
    {
        const auto& [kind, lines] = in_.files[index];
        showLineFromUs_ = now_;
        for (int line = 1; line <= static_cast<int>(lines.size()); ++line) {
            for (int tries = 0, attempt = 1; tries < 3; ++attempt) {
                readBeforeSend(kind, line);
                send({kind, line, attempt}, lines[line - 1]);
                rx_ = read(When::InWait);
                awaitAnswer();
                if (holds(rx_, "%") || holds(rx_, kAccepts) || !resends())
                    tries = 3;
                else
                    ++tries;
            }
            const SendKey& last = sends_.back().key;
            if (holds(rx_, "-"))
                ask(QuestionKind::Checksum, last);
            else if (holds(rx_, "%"))
                ask(QuestionKind::Write, last);
            else if (resends() && !holds(rx_, kAccepts))
                ask(QuestionKind::NoResponse, last);
            ++files_[kind].counts.linesDone;
        }
        showLineFromUs_ = -1;
        awaitEndOfFile(lastFile);
        // M7: after the end-of-file wait and the gathering, the read loop with
        // the questions about late refusals of the file's last line; then M6.
        readAndAskLate();
        reconcile(kind);
    }

    // The designed wait for an answer to the send just written.
    void awaitAnswer()
    {
        if (!resends()) {
            const long long end = tickAfter(now_) + 4 * kTickUs;  // the fifth tick after the send
            while (!holds(rx_, kAnswers)) {
                if (nextArrival() >= end) {
                    ambiguous_ |= nextArrival() == end;
                    now_ = end;
                    return;
                }
                now_ = nextArrival();
                rx_ += read(When::InWait);
            }
            return;
        }
        // The loop looks at the clock whenever the program's events run: a
        // tick of either timer or bytes arriving. A reading 3 s on ends it
        // before what came is read.
        const long long started = seconds(now_);
        while (!holds(rx_, kAnswers)) {
            now_ = std::min({nextArrival(), tickAfter(now_), showLineTickAfter(now_)});
            if (seconds(now_) - started >= 3)
                return;
            rx_ += read(When::InWait);
        }
    }

    // The designed end-of-file wait, with M5's gathering after its "#".
    void awaitEndOfFile(bool lastFile)
    {
        const long long started = seconds(now_);
        while (!holds(rx_, "#")) {
            now_ = std::min(nextArrival(), tickAfter(now_));
            if (seconds(now_) - started >= 2)
                return;
            rx_ += read(When::Late);
        }
        // M5: the rest of an answer of several characters is gathered after any
        // file's "#", not only the last file's.
        const long long most = now_ + 200'000;
        long long quietFrom = now_;
        while (!(lastFile && holds(rx_, "@"))) {
            const long long end = std::min(quietFrom + 20'000, most);
            if (nextArrival() >= end) {
                ambiguous_ |= nextArrival() == end;
                now_ = end;
                return;
            }
            now_ = quietFrom = nextArrival();
            rx_ += read(When::Late);
        }
    }

    // M1: immediately before each send, what is waiting is read; it answers the
    // latest earlier send, not the coming one, and before the download's first
    // send it is thrown away. M7: read until a read brings nothing, asking M3's
    // question about late refusals of a line's last send after each read.
    void readBeforeSend(FileKind kind, int line)
    {
        if (sends_.empty()) {
            takeArrived();
            return;
        }
        const SendKey& latest = sends_.back().key;
        if (latest.file == kind && latest.line == line) {
            read(When::Late);  // M3: a send followed by a resend of its line is asked nothing
            return;
        }
        readAndAskLate();
    }

    void readAndAskLate()
    {
        for (bool more = true; more;) {
            more = !read(When::Late).empty();
            Send& latest = sends_.back();
            if (!latest.lateRefusals.empty())
                ask(holds(std::exchange(latest.lateRefusals, {}), "-") ? QuestionKind::LateChecksum
                                                                       : QuestionKind::LateWrite,
                    latest.key);
        }
    }

    void send(const SendKey& key, const std::string& line)
    {
        write(line);
        File& file = files_[key.file];
        file.sends.push_back(sends_.size());
        file.sendLines.push_back(key.line);
        file.lastLineSent = file.lastLineSent || key.line == file.lines;
        ++file.counts.sends;
        sends_.push_back({key, false, {}});
        out_.record.sends.push_back(key);
        for (const Reply& reply : in_.replies(key)) {
            const std::size_t piece = in_.charByChar ? 1 : std::max<std::size_t>(1, reply.bytes.size());
            for (std::size_t i = 0; i < reply.bytes.size(); i += piece)
                arrivals_[{queueEndUs_ + std::max(0LL, reply.afterUs) +
                               static_cast<long long>(i) * kSecondUs / kBytesPerSecond,
                           order_++}] = reply.bytes.substr(i, piece);
        }
    }

    // The line reaches the target when its last byte has left the transmit queue.
    void write(const std::string& bytes)
    {
        queueEndUs_ = std::max(queueEndUs_, now_) + static_cast<long long>(bytes.size()) * kSecondUs / kBytesPerSecond;
    }

    // M2: every answer read after the download's first send is credited to the
    // latest send; one read in that send's wait is within it, any other is late
    // (M3). M4: the end answers aside, more answers than sends of a file stop
    // the download at the read that brought them.
    std::string read(When when)
    {
        const std::string text = takeArrived();
        Send& latest = sends_.back();
        File& file = files_[latest.key.file];
        for (char answer : text) {
            if (!holds(std::string(1, answer), kAnswers))
                continue;
            bool& endAnswer = answer == '#' ? file.endHash : file.endAt;
            if (file.lastLineSent && (answer == '#' || answer == '@') && !endAnswer)
                endAnswer = true;
            else
                file.counted += answer, file.sendsBefore.push_back(file.sends.size());
            if (when == When::InWait)
                latest.answeredInWait = true;
            else if (holds(std::string(1, answer), kRefusals))
                latest.lateRefusals += answer;
        }
        if (file.counted.size() > file.sends.size())
            end(DownloadResult::TransferError,
                "Error while downloading the firmware file: 0.\nThe target answered out of step: " +
                    std::to_string(file.counted.size()) + " answers came to " + std::to_string(file.sends.size()) +
                    " sends of the " + fileName(latest.key.file) +
                    " file's lines, so its answers no longer tell which line they belong to. Check that no other "
                    "program writes to the port and that the bootloader answers each line once.");
        return text;
    }

    // M6: when a file's answers outnumber its sends answered within their wait,
    // every line the user did not skip must be accepted under every matching
    // of the answers to the sends that the reads allow.
    void reconcile(FileKind kind)
    {
        const File& file = files_[kind];
        const auto inWait = std::count_if(file.sends.begin(), file.sends.end(),
                                          [this](std::size_t send) { return sends_[send].answeredInWait; });
        if (static_cast<long long>(file.counted.size()) <= inWait)
            return;
        for (int line = 1; line <= file.lines; ++line) {
            if (file.skipped.count(line) || (line == file.lines && file.endHash) ||
                !someMatchingRefuses(file.counted, file.sendsBefore, file.sendLines, line))
                continue;
            end(DownloadResult::TransferError,
                "Error while downloading the firmware file: 0.\nSome of the target's answers came late, so they may "
                "belong to other lines than the ones they were counted for: line " +
                    std::to_string(line) + " of the " + fileName(kind) +
                    " file may have been refused. Program the board again.");
        }
    }

    void ask(QuestionKind kind, const SendKey& about)
    {
        out_.record.questions.push_back({kind, about.file, about.line});
        const bool yes = answered_ < in_.userAnswers.size() && in_.userAnswers[answered_] == 'y';
        ++answered_;
        if (!yes)
            end(DownloadResult::Declined, "");
        if (kind != QuestionKind::LateChecksum && kind != QuestionKind::LateWrite)
            rx_.clear();
        File& file = files_[about.file];
        if (file.skipped.insert(about.line).second)
            ++file.counts.skipped;
    }

    [[noreturn]] void end(DownloadResult result, const std::string& message)
    {
        out_.record.result = result;
        out_.record.message = message;
        throw Ended{};
    }

    std::string takeArrived()
    {
        std::string text;
        while (!arrivals_.empty() && arrivals_.begin()->first.first <= now_) {
            text += arrivals_.begin()->second;
            arrivals_.erase(arrivals_.begin());
        }
        return text;
    }
    long long nextArrival() const { return arrivals_.empty() ? LLONG_MAX : arrivals_.begin()->first.first; }
    long long tickAfter(long long us) const
    {
        return us < in_.firstTickUs ? in_.firstTickUs
                                    : in_.firstTickUs + ((us - in_.firstTickUs) / kTickUs + 1) * kTickUs;
    }
    long long showLineTickAfter(long long us) const
    {
        return showLineFromUs_ < 0 ? LLONG_MAX
                                   : showLineFromUs_ + ((us - showLineFromUs_) / kShowLineUs + 1) * kShowLineUs;
    }
    long long seconds(long long us) const { return (us + in_.clockPhaseUs) / kSecondUs; }
    bool resends() const { return in_.bootVer >= 1.28f; }

    const ModelInput& in_;
    ModelResult out_;
    long long now_, queueEndUs_;
    long long showLineFromUs_ = -1;  // when the refresh of the lines remaining was enabled; -1: disabled
    std::string rx_;                 // RxBuf
    std::vector<Send> sends_;
    std::map<FileKind, File> files_;
    std::map<std::pair<long long, long long>, std::string> arrivals_;  // (time, order of scheduling): bytes
    long long order_ = 0;
    std::size_t answered_ = 0;
    bool& ambiguous_ = out_.ambiguous;
};

}  // namespace

ModelResult runTransferModel(const ModelInput& input)
{
    return TransferModel(input).run();
}

bool someMatchingRefuses(const std::string& answers, const std::vector<std::size_t>& sendsBefore,
                         const std::vector<int>& sendLines, int line)
{
    std::map<std::tuple<std::size_t, std::size_t, bool>, bool> known;
    std::function<bool(std::size_t, std::size_t, bool)> can = [&](std::size_t a, std::size_t s, bool refused) {
        if (a == answers.size())
            return refused;
        const auto key = std::make_tuple(a, s, refused);
        if (const auto found = known.find(key); found != known.end())
            return found->second;
        bool result = false;
        const bool accept = holds(std::string(1, answers[a]), kAccepts);
        for (std::size_t to = s; !result && to < sendsBefore[a]; ++to) {
            const bool ours = sendLines[to] == line;
            if (!(ours && accept))
                result = can(a + 1, to + 1, refused || ours);
        }
        return known[key] = result;
    };
    return answers.size() <= sendLines.size() && can(0, 0, false);
}

}  // namespace korvel::linktest
