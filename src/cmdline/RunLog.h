#pragma once

#include "system/AppendFile.h"

#include <functional>
#include <string>

namespace korvel::cmdline {

// The record of each run that "--log FILE" appends to FILE: every line with
// its time stamp, from the run's start to its summary. Without a file it
// records nothing. A write that fails after a good start is reported once
// through `complain`; the run goes on. The lines of a port of several start
// with `prefix` ("COM3: ").
class RunLog {
public:
    explicit RunLog(std::function<void(const std::string&)> complain, std::string prefix = {})
        : complain_(std::move(complain))
        , prefix_(std::move(prefix))
    {
    }

    // Opens `path` (as the command line gave it) for appending; false with
    // the reason in reason().
    bool open(const std::string& path);
    const std::string& reason() const { return file_.reason(); }
    // Whether the log is the file at `path`, however either is named.
    bool isFile(const std::string& path) const { return file_.isFile(path); }

    // A line of the record; a text of several lines gives one line each.
    void line(const std::string& text);

private:
    std::function<void(const std::string&)> complain_;
    std::string prefix_;
    std::string path_;
    system::AppendFile file_;
    bool failed_ = false;  // a write failed and was reported
};

}  // namespace korvel::cmdline
