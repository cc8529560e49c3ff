#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <map>
#include <random>
#include <sstream>

#include "model/TransferModel.h"
#include "sim/SimulatedLink.h"

namespace korvel::linktest {
namespace {

using link::FileKind;
using R = link::DownloadResult;

// One download against a scripted target, as a table row. `files` is each
// file's letter and data lines ("E2F3": an EEPROM file of two data records and
// a FLASH file of three, each followed by its end-of-file record). `script`
// is the target's reply to each send, "F2.1=-:2,~:2900.5; F3.2=" (the first
// send of FLASH line 2: "-" 2 ms after the target received it, then "~" 2.9005
// s after; nothing to the second send of line 3); "*=" replaces the reply to
// every other send, which is "~:2". The end-of-file record's default reply
// adds "#@" 2 ms after the last of it. `answers`: "y" Yes, else No, in order.
struct Case {
    std::string version, files, script, answers;
    long long clockPhaseUs = 0, firstTickUs = 17'000;  // the bench's phases of the clock and of the answer tick
    bool charByChar = false;                           // replies reach the PC a character at a time
};

std::string row(const Case& c)
{
    std::ostringstream out;
    out << "{\"" << c.version << "\", \"" << c.files << "\", \"" << c.script << "\", \"" << c.answers << "\", "
        << c.clockPhaseUs << ", " << c.firstTickUs << ", " << (c.charByChar ? "true" : "false") << "}";
    return out.str();
}

std::string lineText(FileKind file, int line)
{
    return (file == FileKind::Eeprom ? "E" : "F") + std::to_string(line);
}

std::string keyText(const SendKey& key)
{
    return lineText(key.file, key.line) + "." + std::to_string(key.attempt);
}

std::string msText(long long us)
{
    std::string text = std::to_string(us / 1000);
    if (us % 1000) {
        std::string fraction = std::to_string(1000 + us % 1000).substr(1);
        text += "." + fraction.substr(0, fraction.find_last_not_of('0') + 1);
    }
    return text;
}

// "~:2,#@:4" to its replies; "" is silence.
std::vector<Reply> parseReplies(const std::string& text)
{
    std::vector<Reply> replies;
    std::istringstream items(text);
    for (std::string item; std::getline(items, item, ',');) {
        const auto colon = item.find(':'), dot = item.find('.', colon);
        const std::string whole = item.substr(colon + 1, dot - colon - 1);
        const std::string fraction = dot == std::string::npos ? "" : (item.substr(dot + 1) + "000").substr(0, 3);
        replies.push_back(
            {std::stoll(whole) * 1000 + (fraction.empty() ? 0 : std::stoll(fraction)), item.substr(0, colon)});
    }
    return replies;
}

struct Script {
    explicit Script(const std::string& text)
    {
        std::istringstream clauses(text);
        for (std::string clause; std::getline(clauses, clause, ';');) {
            clause.erase(0, clause.find_first_not_of(' '));
            const auto equals = clause.find('=');
            if (equals == std::string::npos)
                continue;
            const auto replies = parseReplies(clause.substr(equals + 1));
            if (clause.compare(0, equals, "*") == 0)
                fallback = replies;
            else
                bySend[clause.substr(0, equals)] = replies;
        }
    }
    std::vector<Reply> of(const SendKey& key, bool endRecord) const
    {
        if (const auto found = bySend.find(keyText(key)); found != bySend.end())
            return found->second;
        std::vector<Reply> replies = fallback;
        if (endRecord)
            replies.push_back({(replies.empty() ? 0 : replies.back().afterUs) + 2'000, "#@"});
        return replies;
    }
    std::map<std::string, std::vector<Reply>> bySend;
    std::vector<Reply> fallback{{2'000, "~"}};
};

const char kEndRecord[] = ":00000001FF";

// The files of a shape: valid Intel HEX records of several lengths, every
// line of a download distinct but the end-of-file records.
std::vector<std::pair<FileKind, std::vector<std::string>>> filesOf(const std::string& shape)
{
    std::vector<std::pair<FileKind, std::vector<std::string>>> files;
    for (std::size_t at = 0; at + 1 < shape.size(); at += 2) {
        const FileKind kind = shape[at] == 'E' ? FileKind::Eeprom : FileKind::Flash;
        std::vector<std::string> lines;
        for (int i = 1; i <= shape[at + 1] - '0'; ++i) {
            const int length = 1 + (i * 5 + (kind == FileKind::Flash ? 3 : 0)) % 16;
            const int address = (kind == FileKind::Flash ? 0x100 : 0) + 0x10 * (i - 1);
            std::vector<int> bytes{length, address >> 8, address & 0xFF, 0};
            for (int j = 0; j < length; ++j)
                bytes.push_back((i * 37 + j * 11 + static_cast<int>(kind)) & 0xFF);
            int sum = 0;
            for (int byte : bytes)
                sum += byte;
            bytes.push_back(-sum & 0xFF);
            std::string line = ":";
            for (int byte : bytes)
                line += "0123456789ABCDEF"[byte >> 4], line += "0123456789ABCDEF"[byte & 15];
            lines.push_back(line);
        }
        lines.push_back(kEndRecord);
        files.emplace_back(kind, lines);
    }
    return files;
}

const char* const kQuestionNames[] = {"checksum", "write", "no response", "late checksum", "late write"};

std::string questionsOf(const RunRecord& record)
{
    std::string text;
    for (const auto& question : record.questions)
        text += std::string(text.empty() ? "" : ", ") + kQuestionNames[static_cast<int>(question.kind)] + " " +
                lineText(question.file, question.line);
    return text;
}

std::string outcomeOf(const RunRecord& record)
{
    switch (record.result) {
    case R::Success:
        return "success";
    case R::Declined:
        return "declined";
    case R::EndOfFileError:
        return "end of file";
    case R::TransferError:
        return record.message.find("out of step") != std::string::npos ? "out of step" : "in doubt";
    default:
        return "result " + std::to_string(static_cast<int>(record.result));
    }
}

// The questions and the outcome: "checksum F3, late write F4 -> success".
std::string summary(const RunRecord& record)
{
    const std::string questions = questionsOf(record);
    return questions + (questions.empty() ? "" : " ") + "-> " + outcomeOf(record);
}

std::string describe(const RunRecord& record)
{
    std::string text = "sends";
    for (const auto& send : record.sends)
        text += " " + keyText(send);
    text += "\nlines dealt with/sends/skipped per file";
    for (const auto& count : record.counts)
        text += " " + std::to_string(count.linesDone) + "/" + std::to_string(count.sends) + "/" +
                std::to_string(count.skipped);
    return text + "\n" + summary(record) + "\n" + record.message;
}

// The download through the program's link layer in simulated time; also when
// its transfer began.
std::pair<RunRecord, long long> runProgram(const Case& c)
{
    const auto files = filesOf(c.files);
    const Script script(c.script);
    SimulatedLink bench;
    bench.target.helloAnswer = "?G" + c.version;
    bench.target.otherLines = bench.target.otherEndsOfFile = "";
    bench.target.charByChar = c.charByChar;
    bench.world.clockPhaseUs = c.clockPhaseUs;
    bench.TmrWaitAnsw.startWithFirstTickAfter(c.firstTickUs);
    // The target tells the lines by their text, the end-of-file record by the file of the line before it.
    std::map<std::string, SendKey> lineKeys;
    for (const auto& [kind, lines] : files)
        for (std::size_t i = 0; i + 1 < lines.size(); ++i)
            lineKeys[lines[i]] = {kind, static_cast<int>(i) + 1, 0};
    bench.target.replies = [&, current = SendKey{},
                            tries = std::map<std::string, int>{}](const std::string& line) mutable {
        const bool endRecord = line == kEndRecord;
        if (!endRecord)
            current = lineKeys.at(line);
        const auto& lines = std::find_if(files.begin(), files.end(), [&](auto& f) { return f.first == current.file; });
        SendKey key{current.file, endRecord ? static_cast<int>(lines->second.size()) : current.line, 0};
        key.attempt = ++tries[keyText(key)];
        std::vector<std::pair<long long, std::string>> replies;
        for (const Reply& reply : script.of(key, endRecord))
            replies.emplace_back(reply.afterUs, reply.bytes);
        return replies;
    };
    link::DownloadChoice choice{false, false, "flash.hex", "eeprom.hex", 1};
    bench.files.files.clear();
    for (const auto& [kind, lines] : files) {
        (kind == FileKind::Flash ? choice.flash : choice.eeprom) = true;
        bench.files.files[kind == FileKind::Flash ? "flash.hex" : "eeprom.hex"] = lines;
    }
    for (std::size_t i = 0; i < 32; ++i)
        bench.frontEnd.answers.push_back(i < c.answers.size() && c.answers[i] == 'y');

    RunRecord record;
    record.result = bench.run(choice);
    record.counts.resize(files.size());
    // The sends, told by their text: the same line again, the next line, or the next file's first.
    std::size_t file = 0;
    int line = 0, attempt = 0;
    long long startUs = -1;
    for (const auto& write : bench.transferWrites()) {
        if (startUs < 0) {
            startUs = write.us;
            EXPECT_EQ(write.queued, 0) << "the model starts with nothing queued";
        }
        if (write.bytes == wire::kEepromThenFlash || write.bytes == wire::kEepromOnly)
            continue;
        const auto& lines = files[file].second;
        if (line > 0 && write.bytes == lines[line - 1]) {
            ++attempt;
        } else if (line < static_cast<int>(lines.size()) && write.bytes == lines[line]) {
            ++line, attempt = 1;
        } else if (file + 1 < files.size() && write.bytes == files[file + 1].second[0]) {
            ++file, line = attempt = 1;
        } else {
            record.sends.push_back({});
            continue;
        }
        record.sends.push_back({files[file].first, line, attempt});
        ++record.counts[file].sends;
    }
    // Lines are dealt with in order, each once.
    for (std::size_t i = 0; i < bench.frontEnd.linesDone.size(); ++i) {
        auto& counts = record.counts[i < files[0].second.size() ? 0 : 1];
        ++counts.linesDone;
        counts.skipped += bench.frontEnd.linesDone[i].skipped;
    }
    FileKind sending = FileKind::None;
    for (const auto& entry : bench.world.entries) {
        const std::string& what = entry.what;
        if (what.rfind("sending ", 0) == 0)
            sending = static_cast<FileKind>(std::stoi(what.substr(8)));
        if (what.rfind("skipped late ", 0) == 0)
            ++record.counts[files[0].first == static_cast<FileKind>(what[13] - '0') ? 0 : 1].skipped;
        if (what.rfind("ask: ", 0) == 0) {
            const bool late = what.find('\n') != std::string::npos;
            const auto kind = what.rfind("ask: Checksum", 0) == 0        ? QuestionKind::Checksum
                              : what.rfind("ask: Error writing", 0) == 0 ? QuestionKind::Write
                                                                         : QuestionKind::NoResponse;
            const auto number = what.find_first_of("0123456789");
            record.questions.push_back({late && kind == QuestionKind::Checksum ? QuestionKind::LateChecksum
                                        : late && kind == QuestionKind::Write  ? QuestionKind::LateWrite
                                                                               : kind,
                                        sending, number == std::string::npos ? 0 : std::stoi(what.substr(number))});
        }
        for (const char* prefix : {"message: ", "message!: ", "success: "})
            if (what.rfind(prefix, 0) == 0)
                record.message = what.substr(std::string(prefix).size());
    }
    return {record, startUs};
}

ModelResult runModel(const Case& c, long long startUs)
{
    const Script script(c.script);
    ModelInput input;
    input.bootVer = std::stof(c.version);
    input.files = filesOf(c.files);
    input.replies = [&](const SendKey& key) {
        const auto& file =
            *std::find_if(input.files.begin(), input.files.end(), [&](const auto& f) { return f.first == key.file; });
        return script.of(key, key.line == static_cast<int>(file.second.size()));
    };
    input.charByChar = c.charByChar;
    input.userAnswers = c.answers;
    input.startUs = startUs;
    input.firstTickUs = c.firstTickUs;
    input.clockPhaseUs = c.clockPhaseUs;
    return runTransferModel(input);
}

// The difference between the program and the model, empty when none.
std::string difference(const Case& c, bool& ambiguous, RunRecord* modelRecord = nullptr)
{
    const auto [program, startUs] = runProgram(c);
    const auto model = runModel(c, startUs);
    ambiguous = model.ambiguous;
    if (modelRecord)
        *modelRecord = model.record;
    if (model.ambiguous || program == model.record)
        return {};
    return row(c) + "\nmodel:\n" + describe(model.record) + "\nprogram:\n" + describe(program);
}

// A random script: replies prompt, late within the wait, about its end or
// well after it, refusals, silence, several characters, an answer twice, a
// stray one; slow targets; one file or two; Yes and No.
Case randomCase(std::uint32_t seed)
{
    std::mt19937 rng(seed);
    const auto pick = [&rng](std::initializer_list<double> weights) {
        return std::discrete_distribution<int>(weights)(rng);
    };
    const auto between = [&rng](long long low, long long high) {
        return std::uniform_int_distribution<long long>(low, high)(rng);
    };
    Case c;
    c.version = std::vector<std::string>{"1.20", "1.28", "1.30"}[pick({35, 35, 30})];
    const bool resends = c.version != "1.20";
    const long long waitUs = resends ? 2'950'000 : 270'000;  // about the length of a wait
    const auto delay = [&] {
        switch (pick({5, 2, 2, 1})) {
        case 0:
            return between(1'000, 10'000);
        case 1:
            return between(10'000, waitUs * 7 / 10);
        case 2:
            return between(waitUs * 7 / 10, waitUs * 11 / 10);
        default:
            return between(waitUs * 11 / 10, waitUs * 3);
        }
    };
    const char* const answers[] = {"~", "-", "%", "", "#", "@", "~~", "-~", "z~", "%-"};
    const auto reply = [&](bool endRecord) {
        const long long at = delay();
        const std::string answer = answers[pick({6, 4, 2, 4, 1, 1, 1, 1, 1, 1})];
        std::string text = answer + ":" + msText(at);
        if (!answer.empty() && pick({9, 1}))  // twice
            text += "," + answer + ":" + msText(at + between(1'000, waitUs));
        if (pick({12, 1}))  // a stray answer
            text += "," + std::string(1, "~-%#@"[between(0, 4)]) + ":" + msText(between(1'000, waitUs * 3 / 2));
        if (endRecord && pick({1, 6}))
            text += "," + std::string(std::vector<const char*>{"#@", "#", "@", "@#", "#~@"}[pick({14, 3, 1, 1, 1})]) +
                    ":" + msText(at + (pick({1, 4}) ? between(1'000, 10'000) : between(10'000, 3'000'000)));
        return text;
    };
    c.files = std::vector<std::string>{"F", "EF", "E"}[pick({45, 45, 10})];
    for (std::size_t at = c.files.size(); at-- > 0;)
        c.files.insert(at + 1, 1, static_cast<char>('1' + between(0, 3)));
    std::string script;
    if (pick({19, 1}))  // a slow target
        script = "*=~:" + msText(resends ? between(1'000'000, 4'000'000) : between(250'000, 900'000));
    // Most lines answered at once; some a reply of their own to each send; some the same to every send.
    for (const auto& [kind, lines] : filesOf(c.files)) {
        for (int line = 1; line <= static_cast<int>(lines.size()); ++line) {
            const int mode = pick({14, 4, 2});
            const std::string same = pick({1, 1}) ? reply(line == static_cast<int>(lines.size())) : "";
            for (int attempt = 1; mode > 0 && attempt <= (resends ? 3 : 1); ++attempt)
                script += (script.empty() ? "" : "; ") + keyText({kind, line, attempt}) + "=" +
                          (mode == 1 ? reply(line == static_cast<int>(lines.size())) : same);
        }
    }
    c.script = script;
    for (int i = 0; i < 10; ++i)
        c.answers += pick({1, 4}) ? 'y' : 'n';
    c.clockPhaseUs = between(0, 999'999);
    c.firstTickUs = between(1, 60'000);
    c.charByChar = pick({3, 1});
    return c;
}

// Scripts worth keeping: the lost answers that brought the
// model, then scripts the seeded runs found telling. Each runs through the
// model and the program, and the model must give the questions and the
// outcome the row names.
TEST(TransferModel, FixedCases)
{
    struct Row {
        Case c;
        std::string want;        // the questions and the outcome
        std::string sends = {};  // how often each line of the first file was sent; "": not checked
    };
    const Row rows[] = {
        // The answers to one line's sends: how often it is sent, and the question.
        {{"1.28", "F1", "F1.1=zz@:2", ""}, "-> success", "1"},
        {{"1.28", "F1", "F1.1=-:2; F1.2=-:2", ""}, "-> success", "3"},
        {{"1.28", "F1", "F1.1=-:2; F1.2=-:2; F1.3=-:2", "y"}, "checksum F1 -> success", "3"},
        {{"1.28", "F1", "F1.1=; F1.2=-:2; F1.3=", "y"}, "no response F1 -> success", "3"},
        {{"1.28", "F1", "F1.1=%:2", "y"}, "write F1 -> success", "1"},
        {{"1.1", "F1", "F1.1=-:2", "y"}, "checksum F1 -> success", "1"},
        // An answer late in its wait, or in its ticks below 1.28; the resend's answer after the first send's late one.
        {{"1.28", "F5", "F1.1=~:1900", ""}, "-> success", "11111"},
        {{"1.27", "F5", "F1.1=~:200", ""}, "-> success", "11111"},
        {{"1.28", "F5", "F1.1=~:3050; F1.2=~:1000; F2.1=~:1000", ""}, "-> success", "21111"},
        {{"1.28", "F5", "F1.1=-%:2", ""}, "-> out of step", "10000"},
        // 1.30: line 2's first answer lost, its resend accepted; line 3 refused once, accepted on its resend.
        {{"1.30", "F5", "F2.1=; F3.1=-:2", ""}, "-> success", "12211"},
        // 1.20: line 2 unanswered, line 3 refused: the question is about line 3.
        {{"1.20", "F5", "F2.1=; F3.1=-:2", "y"}, "checksum F3 -> success", "11111"},
        // A slow 1.20 target: every answer 600 ms after its line, all acceptances.
        {{"1.20", "F5", "*=~:600; F6.1=~:600,#@:602", ""}, "-> success"},
        // The last line's refusal after its wait, in the end-of-file wait.
        {{"1.20", "F1", "F2.1=-:400,#@:1000", "y"}, "late checksum F2 -> success"},
        {{"1.20", "F1", "F2.1=%:400,#@:1000", "n"}, "late write F2 -> declined"},
        // Line 1's late refusal is line 2's answer as designed; line 2's own comes in line 3's wait.
        {{"1.20", "F3", "F1.1=-:350; F2.1=~:110", "yy"}, "checksum F2 -> in doubt"},
        {{"1.27", "F5", "F1.1=-:350; F2.1=~:200", "y"}, "checksum F2 -> success", "11111"},
        {{"1.28", "F2", "F1.1=; F1.2=; F1.3=", "y"}, "no response F1 -> success"},
        // The EEPROM file's end-of-file answer is not judged.
        {{"1.28", "E1F1", "E2.1=~:2", ""}, "-> success"},
        {{"1.30", "E1F1", "*=~:2,~:3", ""}, "-> out of step"},
        // Out of step at the read that brings the surplus, in the end-of-file wait too.
        {{"1.20", "F1", "F2.1=~:2,-:500,-:600,#@:1000", ""}, "-> out of step"},
        // "#@" 48 ms after the end-of-file wait ended (before the next tick) no longer counts.
        {{"1.20", "F1", "F2.1=~:3.954,#@:1424.375", "", 545308, 14469}, "-> end of file"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(row(r.c));
        bool ambiguous = false;
        RunRecord model;
        const std::string found = difference(r.c, ambiguous, &model);
        EXPECT_EQ(found, "");
        EXPECT_FALSE(ambiguous);
        EXPECT_EQ(summary(model), r.want) << describe(model);
        std::string sends(r.sends.size(), '0');
        for (const SendKey& send : model.sends)
            if (send.file == model.sends.front().file && send.line >= 1 && send.line <= int(sends.size()))
                ++sends[send.line - 1];
        EXPECT_EQ(sends, r.sends);
    }
}

// Thousands of seeded scripts through the model and the program. A
// difference prints the script as a row for the table above.
TEST(TransferModel, SeededScriptsAgree)
{
    const int scripts = 10'000;
    std::mt19937 seeds(20'241'207);
    int ambiguous = 0, differences = 0;
    std::map<std::string, int> seen;  // the model's outcomes and questions
    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < scripts; ++i) {
        const std::uint32_t seed = seeds();
        bool skipped = false;
        RunRecord model;
        const std::string found = difference(randomCase(seed), skipped, &model);
        ambiguous += skipped;
        ++seen[outcomeOf(model)];
        for (const auto& question : model.questions)
            ++seen[kQuestionNames[static_cast<int>(question.kind)]];
        if (!found.empty() && ++differences <= 10)
            ADD_FAILURE() << "script " << i << ", seed " << seed << ":\n" << found;
    }
    std::cout << scripts << " scripts in "
              << std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count()
              << " s: " << differences << " differences, " << ambiguous << " skipped as ambiguous\n";
    EXPECT_EQ(differences, 0);
    EXPECT_LT(ambiguous, scripts / 100);
    // The scripts reach every outcome and every question.
    for (const char* kind : {"success", "declined", "end of file", "out of step", "in doubt", "checksum", "write",
                             "no response", "late checksum", "late write"})
        EXPECT_GE(seen[kind], 20) << kind;
}

}  // namespace
}  // namespace korvel::linktest
