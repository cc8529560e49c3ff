#include "sim/ScriptedTarget.h"

namespace korvel::linktest {

std::string Next(std::deque<std::string>& script, const std::string& fallback) {
    if (script.empty()) return fallback;
    std::string front = script.front();
    script.pop_front();
    return front;
}

ScriptedTarget::ScriptedTarget(SimSerialPort& port) : port_(port) {
    port_.onTransmitted = [this](const std::string& bytes) { receive(bytes); };
}

void ScriptedTarget::receive(const std::string& bytes) {
    if (bytes.find_first_not_of('\x55') == std::string::npos) {
        if (!synced_) port_.send(delayUs, syncAnswer);
        synced_ = true;
    } else if (bytes == "@&$") {
        if (!greeted_) port_.send(delayUs, helloAnswer);
        greeted_ = true;
    } else if (bytes != "*!" && bytes != "*") {
        lines.push_back(bytes);
        port_.send(delayUs, Next(lineAnswers, otherLines));
        if (bytes.compare(0, 9, ":00000001") == 0) {
            port_.send(2 * delayUs, Next(endOfFileAnswers, otherEndsOfFile));
        }
    }
}

}  // namespace korvel::linktest
