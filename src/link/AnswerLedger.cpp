#include "link/AnswerLedger.h"

#include <algorithm>
#include <utility>

#include "link/Protocol.h"

namespace korvel::link {

void AnswerLedger::sent(const LineRef& line, bool lastOfFile)
{
    if (owed_.empty() || owed_.back().serial != line.serial) {
        // A new line: of what is still owed, only one send of the line just
        // finished stays; the end answers of an earlier file are not awaited.
        if (!owed_.empty()) {
            const LineRef previous = owed_.back();
            owed_.clear();
            owed_.push_back(previous);
        }
        fileEndMayFollow_ = false;
        downloadDoneMayFollow_ = false;
    }
    if (lastOfFile) {
        fileEndMayFollow_ = true;
        downloadDoneMayFollow_ = true;
    }
    owed_.push_back(line);
    ++sends_;
}

void AnswerLedger::take(std::string_view received)
{
    for (const char c : received) {
        if (c == '\0' || !std::char_traits<char>::find(protocol::kAnswers, sizeof protocol::kAnswers - 1, c))
            continue;
        ++answers_;
        if (!owed_.empty()) {
            credited_.push_back({owed_.front(), c});
            owed_.pop_front();
        } else if (c == protocol::kFileEnded && fileEndMayFollow_) {
            fileEndMayFollow_ = false;
        } else if (c == protocol::kDownloadDone && downloadDoneMayFollow_) {
            downloadDoneMayFollow_ = false;
        } else {
            ++surplus_;
        }
    }
}

void AnswerLedger::writeOffNewest()
{
    if (!owed_.empty())
        owed_.pop_back();
}

void AnswerLedger::writeOff(int serial)
{
    owed_.erase(
        std::remove_if(owed_.begin(), owed_.end(), [serial](const LineRef& line) { return line.serial == serial; }),
        owed_.end());
}

bool AnswerLedger::answered(int serial) const
{
    return std::any_of(credited_.begin(), credited_.end(),
                       [serial](const CreditedAnswer& credit) { return credit.line.serial == serial; });
}

std::string AnswerLedger::takeAnswers(int serial)
{
    std::string answers;
    for (const CreditedAnswer& credit : takeWhere([serial](int line) { return line == serial; }))
        answers += credit.answer;
    return answers;
}

bool AnswerLedger::answeredEarlier(int serial) const
{
    return std::any_of(credited_.begin(), credited_.end(),
                       [serial](const CreditedAnswer& credit) { return credit.line.serial < serial; });
}

std::vector<CreditedAnswer> AnswerLedger::takeEarlier(int serial)
{
    return takeWhere([serial](int line) { return line < serial; });
}

template <typename Predicate> std::vector<CreditedAnswer> AnswerLedger::takeWhere(Predicate lineMatches)
{
    std::vector<CreditedAnswer> taken, kept;
    for (const CreditedAnswer& credit : credited_)
        (lineMatches(credit.line.serial) ? taken : kept).push_back(credit);
    credited_ = std::move(kept);
    return taken;
}

}  // namespace korvel::link
