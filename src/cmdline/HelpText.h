#pragma once

#include <string>
#include <vector>

namespace korvel::cmdline {

// Where an option stands in the forms of the command (the manual page's
// synopsis).
enum class HelpUse {
    NoOption,  // an exit status or a file
    Download,  // an option of a download: "[--log FILE]"
    Port,      // names the port in place of /comx: "/comx | /port <device>"
    Alone,     // asks for something instead of a download, a form of its own: "--ports"
};

// One line of the help beyond the classic usage: an option with its argument
// (or an exit status, or a file) and what it does.
struct HelpEntry {
    std::string term;  // "/port <device>", "--ports", "3", "AVRBootloaderKorvel.cfg"
    std::string text;  // one sentence, no final full stop
    HelpUse use = HelpUse::NoOption;
};

// A titled list of entries: "More options", "Exit status", "Files".
struct HelpSection {
    std::string title;
    std::vector<HelpEntry> entries;
};

// Everything --help shows after the classic usage, and the manual page's
// synopsis, options, exit statuses and files: the one place to describe a new
// option, status or file.
std::vector<HelpSection> helpSections();

// What the operating system adds to the sections (HelpTextPosix.cpp,
// HelpTextWindows.cpp): example devices for "/port", the exit statuses of
// the stop signals, and the files the program reads and where.
std::string portDeviceExamples();
std::vector<HelpEntry> signalExitStatuses();
std::vector<HelpEntry> programFiles();

// The sections as --help prints them after the usage: each title on its own
// line, each entry indented with its text in a column.
std::string helpMore();

}  // namespace korvel::cmdline
