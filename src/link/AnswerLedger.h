#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "link/FrontEnd.h"

namespace korvel::link {

// A line of the download as the answers are credited to it: `serial` counts
// the lines sent in this download across its files (a resend keeps it);
// `file` and `number` name the line as the questions do.
struct LineRef {
    int serial = 0;
    FileKind file = FileKind::None;
    int number = 0;
};

// An answer character and the line it belongs to.
struct CreditedAnswer {
    LineRef line;
    char answer = '\0';
};

// Which line each answer of the target belongs to. The target answers every
// send once and in order, so each answer character is credited to the oldest
// send that still awaits its answer, however late it comes. A send whose
// answer never comes must not shift the answers of later lines for good, so
// what is owed is bounded: once a new line goes out, only one send of the line
// before it may still be answered late, a send that a later answer passed by
// in its whole wait is written off, and so are the sends of a line that none
// of its sends' waits brought an answer. After a file's last line one "#" (the
// file ended) and one "@" (the download is done) may come without a send
// owing them. Any other answer that no send owes means the target runs ahead
// of the lines: the ledger is then out of step for good.
class AnswerLedger {
public:
    // One send of `line`; `lastOfFile`: the file's last line, which its end
    // answers may follow.
    void sent(const LineRef& line, bool lastOfFile);
    // Credits the answer characters among received bytes; others are ignored.
    void take(std::string_view received);
    // The newest send's answer is taken as lost: the answers of its wait went
    // to older sends, so the target did not answer it, and its answer must not
    // be looked for among the next line's.
    void writeOffNewest();
    // The line's sends are taken as never to be answered.
    void writeOff(int serial);

    // Whether answers credited to the line are waiting to be taken.
    bool answered(int serial) const;
    // The answer characters credited to the line, taken out, in order.
    std::string takeAnswers(int serial);
    // Whether answers credited to lines sent before it are waiting.
    bool answeredEarlier(int serial) const;
    // The answers credited to lines sent before it, taken out, in order.
    std::vector<CreditedAnswer> takeEarlier(int serial);

    bool outOfStep() const { return surplus_ > 0; }
    // Answer characters received, and sends made, in this download.
    long long answers() const { return answers_; }
    long long sends() const { return sends_; }

private:
    // The credited answers whose line's serial matches, taken out in order.
    template <typename Predicate> std::vector<CreditedAnswer> takeWhere(Predicate lineMatches);

    std::deque<LineRef> owed_;  // sends awaiting their answers, oldest first
    std::vector<CreditedAnswer> credited_;
    bool fileEndMayFollow_ = false;
    bool downloadDoneMayFollow_ = false;
    long long answers_ = 0;
    long long sends_ = 0;
    long long surplus_ = 0;
};

}  // namespace korvel::link
