// The ledger of the target's answers on any answer bytes, interleaved with any
// order of sends, resends, ends of waits and files: its counts agree with the
// answers given, and the line it finds in doubt is the first line that some
// assignment of the answers to the sends, tried one by one (as the model of
// the line transfer tries them), leaves refused.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "link/AnswerLedger.h"
#include "model/TransferModel.h"

using korvel::link::AnswerLedger;
using korvel::link::FileKind;
using korvel::link::LineRef;

namespace {

// Few enough to try every assignment.
constexpr std::size_t kMostSends = 10;

struct History {
    std::vector<int> sendLines;        // per send
    std::vector<std::size_t> latest;   // per counted answer: sends written before it
    std::string answers;               // counted answers
    std::vector<bool> answeredInWait;  // per send
    bool lastLineSent = false, fileEnded = false, downloadDone = false;
    int lastLine = 0;
};

bool isAnswer(char c)
{
    return c != '\0' && std::string_view("~#@-%").find(c) != std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    AnswerLedger ledger;
    History h;
    int line = 0;
    bool waiting = false;
    std::size_t i = 0;
    while (i < size && h.sendLines.size() < kMostSends) {
        const std::uint8_t op = data[i++];
        switch (op % 4) {
        case 0:  // the next line, perhaps the file's last
        case 1:  // the same line again
            if (h.lastLineSent && (op % 4 == 0 || line == 0))
                break;
            if (op % 4 == 0 || line == 0)
                ++line;
            ledger.sent(LineRef{FileKind::Flash, line}, (op & 0x80) != 0);
            h.sendLines.push_back(line);
            h.answeredInWait.push_back(false);
            h.lastLineSent = h.lastLineSent || (op & 0x80) != 0;
            waiting = true;
            break;
        case 2:
            ledger.waitEnded();
            waiting = false;
            break;
        case 3: {  // received bytes: the next few of the input
            const std::size_t length = std::min<std::size_t>(op >> 4, size - i);
            const std::string_view received(reinterpret_cast<const char*>(data + i), length);
            ledger.take(received);
            i += length;
            if (h.sendLines.empty())
                break;
            for (const char c : received) {
                if (!isAnswer(c))
                    continue;
                h.answeredInWait.back() = h.answeredInWait.back() || waiting;
                bool* end = c == '#' ? &h.fileEnded : c == '@' ? &h.downloadDone : nullptr;
                if (h.lastLineSent && end && !*end) {
                    *end = true;
                    continue;
                }
                h.answers += c;
                h.latest.push_back(h.sendLines.size());
            }
            break;
        }
        }
        FUZZ_CHECK(ledger.fileAnswers() == h.answers.size());
        FUZZ_CHECK(ledger.fileSends() == h.sendLines.size());
        FUZZ_CHECK(ledger.fileEnded() == h.fileEnded);
        if (ledger.outOfStep())
            return 0;  // the download stops here
    }
    const std::set<int> skipped = {static_cast<int>(size % 3)};
    const auto inDoubt = ledger.lineInDoubt(skipped);
    const auto answeredInWait =
        static_cast<std::size_t>(std::count(h.answeredInWait.begin(), h.answeredInWait.end(), true));
    int expected = 0;
    if (h.answers.size() > answeredInWait) {
        for (int candidate = 1; candidate <= line && expected == 0; ++candidate) {
            const bool endedAfterIt = candidate == line && h.lastLineSent && h.fileEnded;
            if (!skipped.count(candidate) && !endedAfterIt &&
                korvel::linktest::someMatchingRefuses(h.answers, h.latest, h.sendLines, candidate))
                expected = candidate;
        }
    }
    FUZZ_CHECK(inDoubt.value_or(0) == expected);
    return 0;
}
