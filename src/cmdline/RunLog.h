#pragma once

#include "system/AppendFile.h"

#include <string>

namespace korvel::cmdline {

class TerminalReport;

// The record of each run that "--log FILE" appends to FILE: every line with
// its time stamp, from the run's start to its summary. Without a file it
// records nothing. A write that fails after a good start is reported once on
// the terminal; the run goes on.
class RunLog {
public:
    explicit RunLog(TerminalReport& terminal) : terminal_(terminal) {}

    // Opens `path` (as the command line gave it) for appending; false with
    // the reason in reason().
    bool open(const std::string& path);
    const std::string& reason() const { return file_.reason(); }
    // Whether the log is the file at `path`, however either is named.
    bool isFile(const std::string& path) const { return file_.isFile(path); }

    // A line of the record; a text of several lines gives one line each.
    void line(const std::string& text);

private:
    TerminalReport& terminal_;
    std::string path_;
    system::AppendFile file_;
    bool failed_ = false;  // a write failed and was reported
};

}  // namespace korvel::cmdline
