#pragma once

#include <deque>
#include <string>
#include <vector>

#include "sim/SimSerialPort.h"

namespace korvel::linktest {

// The bootloader at the other end of the line, answering from a script. An
// empty answer is silence.
class ScriptedTarget {
public:
    explicit ScriptedTarget(SimSerialPort& port);
    // A target reset: the next 0x55 block and "@&$" are answered again.
    void reset() { synced_ = greeted_ = false; }

    std::string syncAnswer = "$";  // to the first block of 0x55
    std::string helloAnswer = "?G1.28";  // to the first "@&$"
    std::deque<std::string> lineAnswers;  // one per line received, in order
    std::string otherLines = "~";  // once lineAnswers is used up
    // After a line that ends a file (record type 01), this long after its answer.
    std::deque<std::string> endOfFileAnswers;
    std::string otherEndsOfFile = "#@";
    long long delayUs = 2'000;

    std::vector<std::string> lines;  // every line received, in order

private:
    void receive(const std::string& bytes);

    SimSerialPort& port_;
    bool synced_ = false;
    bool greeted_ = false;
};

// Pops the front of a script, or gives the fallback when it is used up.
std::string Next(std::deque<std::string>& script, const std::string& fallback);

}  // namespace korvel::linktest
