#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "link/FrontEnd.h"
#include "sim/SimWorld.h"

namespace korvel::linktest {

// Writes every call into the journal ("message: text", "message!: text" for the
// exclamation icon, "ask: question", "idle", ...) and answers questions from a script.
class RecordingFrontEnd : public link::FrontEnd {
public:
    explicit RecordingFrontEnd(Journal& journal) : journal_(journal) {}

    void downloadStarting() override { journal_.add("starting"); }
    void portOpened() override { journal_.add("port opened"); }
    void synchronising() override { journal_.add("synchronising"); }
    void targetResponded() override { journal_.add("target responded"); }
    void versionRead(const std::string& version) override { journal_.add("version " + version); }
    void openingFile(link::FileKindCode kind, const std::string& path) override;
    void fileOpened(link::FileKindCode kind, const std::string& path) override;
    void sendingFile(link::FileKindCode kind) override;
    void showLinesLeft(int linesLeft) override;
    void betweenFiles() override { journal_.add("between files"); }
    void message(const std::string& text, link::MessageIcon icon) override;
    bool ask(const std::string& question) override;
    void enterIdle() override { journal_.add("idle"); }
    void focusFlashBrowse() override { journal_.add("focus"); }
    bool cancelRequested() override { return cancelWhen && cancelWhen(); }

    std::deque<bool> answers;  // Yes / No for the questions, in order
    std::function<bool()> cancelWhen;
    std::vector<std::pair<long long, int>> linesShown;  // time, count

private:
    Journal& journal_;
};

}  // namespace korvel::linktest
