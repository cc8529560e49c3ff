#pragma once

#include "link/FrontEnd.h"
#include "system/StopRequests.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace korvel::cmdline {

// What a command-line run did, for the lines that close it and for the
// records kept of it: when it ran and how long it waited, the bootloader
// version, for each file its lines (accepted, skipped, sent, remaining), the
// bytes put on the line and the resends, and where a stopped run stopped.
// One count serves the terminal, the log and the summary alike.
class RunRecord {
public:
    // The files the run was asked to send, and its tag (a board serial, a
    // station, an operator; empty: none). The clocks start now.
    RunRecord(bool flash, bool eeprom, std::string tag = {});

    // The download waits for its port to appear; then the port is open.
    void waitingForPort();
    void portOpened();
    // The bootloader answered: the wait for the board's reset is over.
    void versionRead(const std::string& version);
    // Each chosen file is read whole before the port opens (a pipe may keep
    // one waiting): its size, non-empty lines and SHA-256 (hex); later each
    // is opened for its transfer.
    void fileReading(link::FileKind kind, const std::string& path);
    void fileRead(link::FileKind kind, const std::string& path, std::size_t size, int lines, std::string sha256);
    void fileOpened(link::FileKind kind, const std::string& path);
    void lineSent(int lineNumber);
    void lineDone(const link::LineProgress& progress);
    void lineSkippedLate(link::FileKind kind);
    // The download is over: its last message is about to be shown, and the
    // time that message stays open counts for nothing.
    void ended();

    // Whole seconds since the run began.
    long long seconds() const;
    // Lines of the file opened last not dealt with yet, and all its lines; 0 before any.
    int remainingOfCurrentFile() const;
    int linesOfCurrentFile() const;
    // The board's number in a station's run, which the summary then names; 0: none.
    void setBoard(int board) { board_ = board; }

    struct FileFacts {
        link::FileKind kind = link::FileKind::None;
        std::string path;       // as given; empty before the file was read
        std::size_t size = 0;   // its bytes
        std::string sha256;     // of its bytes, in lower-case hex; empty while it was not read
        int lines = 0;          // its non-empty lines
        int accepted = 0;       // lines the target accepted
        int skipped = 0;        // lines not accepted, which the user went on without
        int sent = 0;           // lines put on the line at least once
        int resends = 0;        // sends beyond each line's first
        std::size_t bytes = 0;  // put on the line, resends included
        // Lines of the file not dealt with: the one in flight at a stop and those after it.
        int remaining() const { return lines - accepted - skipped; }
    };
    struct Facts {
        std::chrono::system_clock::time_point started;
        std::chrono::system_clock::time_point ended;
        double seconds = 0;      // from the port opened to the end of the download; 0 when it never opened
        double waited = 0;       // for the port to appear and for the board's reset
        std::string bootloader;  // the version's display form; empty: none was read
        std::string outcome;     // one word, as the summary names it
        int exitStatus = 0;
        std::string note;  // where a stopped run stopped, or how many lines were skipped; empty: nothing to add
        std::string tag;   // as given; empty: none
        int board = 0;     // its number in a station's run; 0: none
        std::vector<FileFacts> files;  // the chosen files, in the order they are sent
    };
    // The facts of the run, given its result and the stop request that came during it.
    Facts facts(link::DownloadResult result, system::StopRequest stop) const;

    struct Closing {
        std::string note;
        std::string summary;
        int exitStatus = 0;
    };
    // How the run closes: its note and its summary line, naming the port as
    // messages name it.
    Closing close(const Facts& facts, const std::string& portLabel) const;

private:
    using Clock = std::chrono::steady_clock;
    FileFacts& file(link::FileKind kind) { return kind == link::FileKind::Eeprom ? eeprom_ : flash_; }
    const FileFacts& file(link::FileKind kind) const { return kind == link::FileKind::Eeprom ? eeprom_ : flash_; }
    std::string stopPlace(system::StopRequest stop) const;

    const Clock::time_point start_;
    const std::chrono::system_clock::time_point started_;
    const bool flashChosen_;
    const bool eepromChosen_;
    const std::string tag_;
    std::optional<Clock::time_point> waitingSince_;
    std::optional<Clock::time_point> portOpened_;
    std::optional<Clock::time_point> contact_;
    std::optional<Clock::time_point> end_;
    std::optional<std::chrono::system_clock::time_point> ended_;
    std::string version_;
    FileFacts flash_;
    FileFacts eeprom_;
    link::FileKind current_ = link::FileKind::None;  // the file opened last
    std::string reading_;                            // the file being read; empty: none
    int lineInFlight_ = 0;  // of the file opened last: the line sent last and not yet dealt with; 0: none
    int lastLineDone_ = 0;  // of the file opened last
    int board_ = 0;
};

}  // namespace korvel::cmdline
