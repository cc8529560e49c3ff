#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "link/FrontEnd.h"

// An executable model of the designed HEX line transfer with its agreed mends,
// written from the designed steps and not from the program's link layer: the
// comparison test runs the same target scripts through both.
namespace korvel::linktest {

// One send of a line: its file, its line number as the questions give it
// (non-empty lines from 1) and its try (from 1).
struct SendKey {
    link::FileKind file = link::FileKind::None;
    int line = 0;
    int attempt = 0;
    bool operator==(const SendKey& other) const
    {
        return file == other.file && line == other.line && attempt == other.attempt;
    }
};

// Bytes the target sends back this long after it has received a line.
struct Reply {
    long long afterUs = 0;
    std::string bytes;
};

enum class QuestionKind { Checksum, Write, NoResponse, LateChecksum, LateWrite };

struct Question {
    QuestionKind kind = QuestionKind::Checksum;
    link::FileKind file = link::FileKind::None;
    int line = 0;
    bool operator==(const Question& other) const
    {
        return kind == other.kind && file == other.file && line == other.line;
    }
};

struct FileCounts {
    int linesDone = 0;  // lines dealt with: accepted, or gone on without
    int sends = 0;
    int skipped = 0;  // lines gone on without, each once
    bool operator==(const FileCounts& other) const
    {
        return linesDone == other.linesDone && sends == other.sends && skipped == other.skipped;
    }
};

// What a download did, as the comparison sees it.
struct RunRecord {
    std::vector<SendKey> sends;
    std::vector<Question> questions;
    std::vector<FileCounts> counts;  // per file, in the order sent
    link::DownloadResult result = link::DownloadResult::NotValid;
    std::string message;  // the last message as shown (text, then its detail); empty: none
    bool operator==(const RunRecord& other) const
    {
        return sends == other.sends && questions == other.questions && counts == other.counts &&
               result == other.result && message == other.message;
    }
};

// A download as the model takes it, in the terms of the simulated bench.
struct ModelInput {
    float bootVer = 0;
    std::vector<std::pair<link::FileKind, std::vector<std::string>>> files;  // non-empty lines, in the order sent
    std::function<std::vector<Reply>(const SendKey&)> replies;               // the target's, to each send
    bool charByChar = false;     // a reply reaches the PC one character time per character
    std::string userAnswers;     // "y" Yes, any other character No, in the order asked; none left: No
    long long startUs = 0;       // the transfer's first write; nothing is queued toward the target then
    long long firstTickUs = 0;   // the free-running answer tick's first tick, every 60 ms after
    long long clockPhaseUs = 0;  // the whole-second clock reads (time + phase) / 1 s
};

struct ModelResult {
    RunRecord record;
    // Simulated events fell on the same microsecond where their order decides
    // the run: the comparison skips such a script.
    bool ambiguous = false;
};

ModelResult runTransferModel(const ModelInput& input);

// Whether some matching of a file's answers to its sends leaves `line`
// refused: a refusal matched to one of its sends and no accept. A matching
// gives each answer a send of its own, in order, never one written after the
// answer was read (answer k was read after sendsBefore[k] of the sendLines).
bool someMatchingRefuses(const std::string& answers, const std::vector<std::size_t>& sendsBefore,
                         const std::vector<int>& sendLines, int line);

}  // namespace korvel::linktest
