#include "sim/LinkBench.h"

#include <gtest/gtest.h>

namespace korvel::linktest {

using link::DownloadChoice;

LinkBench::LinkBench(link::Flavour flavour) {
    link = std::make_unique<link::BootloaderLink>(
        link::LinkSeams{port, frontEnd, TmrSyn, TmrWaitAnsw, TmrShowLine, clock, pump, files},
        flavour);
    TmrWaitAnsw.startWithFirstTickAfter(17'000);
    files.files["flash.hex"] = {":100000000C9434000C943E000C943E000C943E0082",
                                ":00000001FF"};
    files.files["eeprom.hex"] = {":02000000AA55FF", ":00000001FF"};
}

link::DownloadResult LinkBench::run(const DownloadChoice& choice) {
    try {
        return link->DownloadFiles(choice);
    } catch (const SimulationLimit& limit) {
        ADD_FAILURE() << "simulation stopped: " << limit.what << "\n" << journal.text();
        return link::DownloadResult::NotValid;
    }
}

DownloadChoice LinkBench::flash(const std::string& path) { return {true, false, path, "", 1}; }
DownloadChoice LinkBench::eeprom(const std::string& path) { return {false, true, "", path, 1}; }
DownloadChoice LinkBench::both() { return {true, true, "flash.hex", "eeprom.hex", 1}; }

std::vector<SimSerialPort::Write> LinkBench::transferWrites() const {
    std::vector<SimSerialPort::Write> result;
    for (const auto& write : port.writes) {
        const bool sync = write.bytes.find_first_not_of('\x55') == std::string::npos;
        if (!sync && write.bytes != "@&$") result.push_back(write);
    }
    return result;
}

bool LinkBench::inOrder(const std::vector<std::string>& starts) const {
    std::size_t next = 0;
    for (const auto& entry : journal.entries) {
        if (next < starts.size() && entry.what.compare(0, starts[next].size(), starts[next]) == 0) {
            ++next;
        }
    }
    return next == starts.size();
}

bool LinkBench::logged(const std::string& entry) const {
    for (const auto& logged : journal.entries) {
        if (logged.what == entry) return true;
    }
    return false;
}

int LinkBench::writesOf(const std::string& bytes) const {
    int count = 0;
    for (const auto& write : port.writes) count += write.bytes == bytes;
    return count;
}

}  // namespace korvel::linktest
