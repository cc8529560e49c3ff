#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "link/FrontEnd.h"

namespace korvel::link {

// A line of a HEX file as the questions name it: its file and its number
// among the file's non-empty lines.
struct LineRef {
    FileKind file = FileKind::None;
    int number = 0;
};

// Which send each answer of the target belongs to, and what the answers of a
// file still allow once they are all in.
//
// An answer belongs to the latest send written before it was read: a send
// whose wait ended without an answer is written off by the next send, a
// resend or the next line, so that a lost answer never shifts the answers of
// later lines. An answer read after its send's wait ended is late.
//
// A file's answers are counted against its sends, except the file's end
// answers: the first "#" and the first "@" after its last line went out. More
// answers than sends at any moment means the target runs ahead of the lines:
// the ledger is then out of step. More answers than sends answered within
// their wait means a late answer happened, and the answers may belong one
// send off; lineInDoubt then considers every way the answers can belong to
// the sends.
class AnswerLedger {
public:
    // A send of `line` has been written; `lastOfFile`: the file's last line.
    // The first send of another file starts that file's count.
    void sent(const LineRef& line, bool lastOfFile);
    // The latest send's wait is over: its answers from now on are late.
    void waitEnded();
    // Credits the answer characters among received bytes to the latest send;
    // before the download's first send they answer no line and are dropped.
    void take(std::string_view received);
    // The latest send's late answers not taken yet, in order.
    std::string takeLate();

    // The latest send, and whether it is its file's last line.
    const LineRef& latest() const { return latest_; }
    bool outOfStep() const { return answers_.size() > sends_.size(); }
    // The current file's answers (its end answers left out) and sends.
    std::size_t fileAnswers() const { return answers_.size(); }
    std::size_t fileSends() const { return sends_.size(); }
    // Whether a "#" came after the current file's last line.
    bool fileEnded() const { return endSeen_.fileEnded; }

    // The first line of the current file, not among `skipped` (line numbers),
    // that some order-keeping assignment of the file's answers to its sends
    // leaves refused: a refusal and no acceptance among its sends' answers.
    // None when no answer came late, so that the matching of answers to their
    // latest sends stands.
    std::optional<int> lineInDoubt(const std::set<int>& skipped) const;

private:
    struct Answer {
        std::size_t latestSend;  // index of the latest send when it was read
        char answer;
    };
    struct EndAnswers {
        bool lastLineSent = false;
        bool fileEnded = false;
        bool downloadDone = false;
    };

    bool takenAsEndAnswer(char answer);

    LineRef latest_;
    bool waiting_ = false;              // the latest send's wait is on
    std::vector<int> sends_;            // the current file's sends, by line number
    std::vector<bool> answeredInWait_;  // per send
    std::vector<Answer> answers_;       // the current file's counted answers
    EndAnswers endSeen_;
    std::string late_;
};

}  // namespace korvel::link
