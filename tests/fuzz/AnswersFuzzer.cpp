// The ledger of the target's answers on any answer bytes, interleaved with any
// order of sends, resends, write-offs and takings of the download: no answer
// is credited to a line that was not sent or more often than it was sent, an
// answer is never lost (credited, one of a file's end answers, or surplus),
// and once out of step the ledger stays so.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string_view>

#include "FuzzCheck.h"
#include "link/AnswerLedger.h"
#include "link/Protocol.h"

using korvel::link::AnswerLedger;
using korvel::link::CreditedAnswer;
using korvel::link::FileKind;
using korvel::link::LineRef;

namespace {

bool isAnswer(char c)
{
    return c != '\0' && std::string_view(korvel::link::protocol::kAnswers).find(c) != std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    AnswerLedger ledger;
    std::map<int, long long> sends, credited;  // per line serial
    long long answersGiven = 0, creditedTotal = 0, fileEnds = 0;
    int serial = 0;
    bool wasOutOfStep = false;
    const auto credit = [&](int line) {
        ++credited[line];
        ++creditedTotal;
        FUZZ_CHECK(line >= 1 && line <= serial);
        FUZZ_CHECK(credited[line] <= sends[line]);
    };
    std::size_t i = 0;
    while (i < size) {
        const std::uint8_t op = data[i++];
        switch (op % 6) {
        case 0:  // a new line, perhaps a file's last
        case 1:  // a resend of the current one
            if (op % 6 == 0 || serial == 0)
                ++serial;
            ledger.sent(LineRef{serial, FileKind::Flash, serial}, (op & 0x80) != 0);
            fileEnds += (op & 0x80) != 0 ? 2 : 0;
            ++sends[serial];
            break;
        case 2: {  // received bytes: the next few of the input
            const std::size_t length = std::min<std::size_t>(op >> 3, size - i);
            const std::string_view received(reinterpret_cast<const char*>(data + i), length);
            for (const char c : received)
                answersGiven += isAnswer(c) ? 1 : 0;
            ledger.take(received);
            i += length;
            break;
        }
        case 3:
            ledger.writeOffNewest();
            break;
        case 4:
            for (const char c : ledger.takeAnswers(serial)) {
                FUZZ_CHECK(isAnswer(c));
                credit(serial);
            }
            break;
        case 5: {
            const bool pending = ledger.answeredEarlier(serial);
            const auto earlier = ledger.takeEarlier(serial);
            FUZZ_CHECK(pending == !earlier.empty());
            for (const CreditedAnswer& answer : earlier) {
                FUZZ_CHECK(answer.line.serial < serial && isAnswer(answer.answer));
                credit(answer.line.serial);
            }
            break;
        }
        }
        FUZZ_CHECK(ledger.answers() == answersGiven);
        FUZZ_CHECK(!wasOutOfStep || ledger.outOfStep());
        wasOutOfStep = ledger.outOfStep();
        FUZZ_CHECK(!ledger.answered(serial + 1));
    }
    // What was not taken yet is still there to take.
    for (const char c : ledger.takeAnswers(serial)) {
        FUZZ_CHECK(isAnswer(c));
        credit(serial);
    }
    for (const CreditedAnswer& answer : ledger.takeEarlier(serial))
        credit(answer.line.serial);
    // Every answer is credited, one of a file's end answers, or the surplus.
    const long long uncredited = answersGiven - creditedTotal;
    FUZZ_CHECK(uncredited >= 0);
    FUZZ_CHECK(ledger.outOfStep() || uncredited <= fileEnds);
    return 0;
}
