#pragma once

#include "link/FrontEnd.h"
#include "system/StopRequests.h"

#include <chrono>
#include <cstddef>
#include <string>

namespace korvel::cmdline {

// What a command-line run did, for the lines that close it: the bootloader
// version, for each file the lines dealt with, the bytes put on the line, the
// resends and the skipped lines, and the line at which a stopped run stopped.
class RunRecord {
public:
    // The files the run was asked to send. The clock starts now.
    RunRecord(bool flash, bool eeprom);

    void portOpened();
    void versionRead(const std::string& version);
    // The chosen files are being read whole before the port opens (a pipe may
    // keep one waiting); later each is opened for its transfer.
    void fileReading(const std::string& path);
    void filesRead();
    void fileOpened(link::FileKind kind, const std::string& path);
    void lineDone(const link::LineProgress& progress);
    void lineSkippedLate(link::FileKind kind);

    // Whole seconds since the run began.
    long long seconds() const;

    struct Closing {
        std::string note;  // where a stopped run stopped, or how many lines were skipped; empty: nothing to add
        std::string summary;
        int exitStatus = 0;
    };
    // How the run closes, given its result, the stop request that came during
    // it and its port as messages name it.
    Closing close(link::DownloadResult result, system::StopRequest stop, const std::string& portLabel) const;

private:
    struct FileCounts {
        int lines = 0;
        std::size_t bytes = 0;
        int resends = 0;
        int skipped = 0;
    };
    FileCounts& counts(link::FileKind kind) { return kind == link::FileKind::Eeprom ? eeprom_ : flash_; }
    std::string stopPlace() const;

    const std::chrono::steady_clock::time_point start_;
    const bool flashChosen_;
    const bool eepromChosen_;
    bool portOpened_ = false;
    std::string version_;
    FileCounts flash_;
    FileCounts eeprom_;
    link::FileKind current_ = link::FileKind::None;  // the file opened last
    std::string currentPath_;
    std::string reading_;   // the file being read; empty: none
    int lastLineDone_ = 0;  // of the file opened last
};

}  // namespace korvel::cmdline
