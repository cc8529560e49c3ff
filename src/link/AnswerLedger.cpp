#include "link/AnswerLedger.h"

#include <algorithm>
#include <string>
#include <utility>

#include "link/Protocol.h"

namespace korvel::link {

namespace {

bool among(const char* answers, char c)
{
    return c != '\0' && std::char_traits<char>::find(answers, std::char_traits<char>::length(answers), c);
}

}  // namespace

void AnswerLedger::sent(const LineRef& line, bool lastOfFile)
{
    if (line.file != latest_.file) {
        sends_.clear();
        answeredInWait_.clear();
        answers_.clear();
        endSeen_ = {};
    }
    latest_ = line;
    waiting_ = true;
    late_.clear();
    sends_.push_back(line.number);
    answeredInWait_.push_back(false);
    if (lastOfFile)
        endSeen_.lastLineSent = true;
}

void AnswerLedger::waitEnded()
{
    waiting_ = false;
}

void AnswerLedger::take(std::string_view received)
{
    if (sends_.empty())
        return;
    for (const char c : received) {
        if (!among(protocol::kAnswers, c))
            continue;
        if (waiting_)
            answeredInWait_.back() = true;
        else
            late_ += c;
        if (!takenAsEndAnswer(c))
            answers_.push_back({sends_.size(), c});
    }
}

// A file's end answers follow its last line without a send owing them.
bool AnswerLedger::takenAsEndAnswer(char answer)
{
    if (!endSeen_.lastLineSent)
        return false;
    bool* seen = nullptr;
    if (answer == protocol::kFileEnded)
        seen = &endSeen_.fileEnded;
    else if (answer == protocol::kDownloadDone)
        seen = &endSeen_.downloadDone;
    if (!seen || *seen)
        return false;
    *seen = true;
    return true;
}

std::string AnswerLedger::takeLate()
{
    return std::exchange(late_, {});
}

// The answers are numbered k = 1..m in the order read and the sends j = 1..n
// in the order written. An assignment gives each answer a send of its own,
// in order, never a send written after the answer was read: answer k goes to
// a send from k up to upper[k], the latest send it can have while every later
// answer still finds a send after it. Every send in that range is possible
// for it alone, and any increasing choice within the ranges is an assignment.
//
// A line with sends p..q is refused in some assignment when a block of
// consecutive answers, all refusals, can fill part of p..q while the answers
// before the block fit before p and those after it after q. The block is
// taken as short as the answers after it allow.
std::optional<int> AnswerLedger::lineInDoubt(const std::set<int>& skipped) const
{
    const std::size_t n = sends_.size(), m = answers_.size();
    const auto answeredInWait =
        static_cast<std::size_t>(std::count(answeredInWait_.begin(), answeredInWait_.end(), true));
    if (m <= answeredInWait || m > n)
        return std::nullopt;
    const auto refusal = [&](std::size_t k) { return !among(protocol::kAcceptedAnswers, answers_[k - 1].answer); };
    std::vector<std::size_t> upper(m + 2), refusals(m + 1), runStart(m + 1);
    upper[m + 1] = n + 1;
    for (std::size_t k = m; k >= 1; --k)
        upper[k] = std::min(answers_[k - 1].latestSend, upper[k + 1] - 1);
    for (std::size_t k = 1; k <= m; ++k) {
        refusals[k] = refusals[k - 1] + (refusal(k) ? 1 : 0);
        runStart[k] = !refusal(k) ? k + 1 : k > 1 && refusal(k - 1) ? runStart[k - 1] : k;
    }
    // The first answer that can go to send `send` or a later one; m + 1: none.
    const auto firstReaching = [&](std::size_t send) {
        return static_cast<std::size_t>(std::lower_bound(upper.begin() + 1, upper.begin() + m + 1, send) -
                                        upper.begin());
    };
    for (std::size_t p = 1; p <= n;) {
        const int line = sends_[p - 1];
        std::size_t q = p;
        while (q < n && sends_[q] == line)
            ++q;
        const std::size_t first = p;
        p = q + 1;
        const bool lastLine = q == n && endSeen_.lastLineSent;
        if (skipped.count(line) || (lastLine && endSeen_.fileEnded))
            continue;
        const std::size_t length = q - first + 1, reachFirst = firstReaching(first);
        // The answers up to blockEnd - 1 cannot all go after q.
        const std::size_t blockEnd = firstReaching(q + 1) - 1;
        // One refusal alone among the line's sends.
        const std::size_t lo = std::max({std::size_t{1}, reachFirst, blockEnd}), hi = std::min(first, m);
        if (lo <= hi && refusals[hi] > refusals[lo - 1])
            return line;
        // A run of refusals from after the answers before the line up to blockEnd.
        if (blockEnd >= 2 && blockEnd <= m && refusal(blockEnd)) {
            const std::size_t low = std::max(
                {std::size_t{1}, reachFirst, blockEnd + 1 > length ? blockEnd + 1 - length : 1, runStart[blockEnd]});
            if (low <= std::min(first, blockEnd - 1))
                return line;
        }
    }
    return std::nullopt;
}

}  // namespace korvel::link
