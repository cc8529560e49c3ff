#include "sim/RecordingFrontEnd.h"

#include <gtest/gtest.h>

namespace korvel::linktest {

void RecordingFrontEnd::openingFile(link::FileKindCode kind, const std::string& path) {
    journal_.add("opening " + std::to_string(kind) + " " + path);
}

void RecordingFrontEnd::fileOpened(link::FileKindCode kind, const std::string& path) {
    journal_.add("opened " + std::to_string(kind) + " " + path);
}

void RecordingFrontEnd::sendingFile(link::FileKindCode kind) {
    journal_.add("sending " + std::to_string(kind));
}

void RecordingFrontEnd::showLinesLeft(int linesLeft) {
    linesShown.emplace_back(journal_.time.now(), linesLeft);
}

void RecordingFrontEnd::message(const std::string& text, link::MessageIcon icon) {
    journal_.add((icon == link::MessageIcon::Exclamation ? "message!: " : "message: ") + text);
}

bool RecordingFrontEnd::ask(const std::string& question) {
    journal_.add("ask: " + question);
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << question;
        return false;
    }
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
}

}  // namespace korvel::linktest
