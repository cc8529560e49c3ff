#pragma once

#include <string>
#include <vector>

namespace korvel::cmdline {

// One line of the help beyond the classic usage: an option with its argument
// (or an exit status) and what it does.
struct HelpEntry {
    std::string term;  // "/port <device>", "--ports", "3"
    std::string text;  // one sentence, no final full stop
};

// A titled list of entries: "More options", "Exit status".
struct HelpSection {
    std::string title;
    std::vector<HelpEntry> entries;
};

// Everything --help shows after the classic usage, and the manual page's
// options and exit statuses: the one place to describe a new option or status.
std::vector<HelpSection> helpSections();

// What the operating system adds to the sections (HelpTextPosix.cpp,
// HelpTextWindows.cpp): example devices for "/port" and the exit statuses of
// the stop signals.
std::string portDeviceExamples();
std::vector<HelpEntry> signalExitStatuses();

// The sections as --help prints them after the usage: each title on its own
// line, each entry indented with its text in a column.
std::string helpMore();

}  // namespace korvel::cmdline
