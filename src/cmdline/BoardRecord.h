#pragma once

#include "cmdline/RunRecord.h"
#include "system/AppendFile.h"

#include <string>

namespace korvel::cmdline {

// Where a run was made: what its record holds beside the run's own facts.
// Empty where it is not known.
struct RunPlace {
    std::string program;          // "AVRBootloaderKorvel"
    std::string version;          // "1.21"
    std::string host;             // the computer's name
    std::string port;             // "COM3"; empty when the port was given by its device
    std::string device;           // the device the port opens
    std::string usbVendorId;      // of the adapter: four lower-case hex digits
    std::string usbProductId;     // of the adapter: four lower-case hex digits
    std::string usbSerialNumber;  // of the adapter
};

// The record that "--record FILE" appends to FILE, for machines: one JSON
// object per run on a line of its own (JSON Lines), with what went into
// which board: the times in UTC, the program, the host, the port and its
// adapter, each file's size, non-empty lines and SHA-256, the bootloader's
// version, the outcome, the exit status, the seconds and counts of the
// summary line. Opening refuses what the log refuses (system::AppendFile).
class BoardRecord {
public:
    // Opens `path` (as the command line gave it) for appending; false with
    // the reason in reason().
    bool open(const std::string& path) { return file_.open(path); }
    bool isOpen() const { return file_.isOpen(); }
    const std::string& reason() const { return file_.reason(); }
    // Whether the record is the file at `path`, however either is named.
    bool isFile(const std::string& path) const { return file_.isFile(path); }

    // Appends the run's line whole, with one write; false with the reason in
    // reason().
    bool append(const RunRecord::Facts& facts, const RunPlace& place);

    // The run's JSON object on one line, with its line end. Texts that are not
    // UTF-8 are written as the terminal shows them, "\xe9" for such a byte;
    // a text not known is null, and so are the size, lines and hash of a
    // file that was not read.
    static std::string line(const RunRecord::Facts& facts, const RunPlace& place);

private:
    system::AppendFile file_;
};

}  // namespace korvel::cmdline
