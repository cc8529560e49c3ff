#pragma once

#include "link/FrontEnd.h"

#include <QString>

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

    void versionRead(const std::string& version);
    void fileOpened(link::FileKind kind, const std::string& path);
    void lineDone(const link::LineProgress& progress);
    void lineSkippedLate(link::FileKind kind);

    // Whole seconds since the run began.
    long long seconds() const;

    struct Closing {
        QString note;  // where a stopped run stopped, or how many lines were skipped; empty: nothing to add
        QString summary;
        int exitStatus = 0;
    };
    // How the run closes, given its result, the stop signal that came during
    // it (0: none) and its port as messages name it.
    Closing close(link::DownloadResult result, int stopSignal, const std::string& portLabel) const;

private:
    struct FileCounts {
        int lines = 0;
        std::size_t bytes = 0;
        int resends = 0;
        int skipped = 0;
    };
    FileCounts& counts(link::FileKind kind) { return kind == link::FileKind::Eeprom ? eeprom_ : flash_; }
    QString stopPlace() const;

    const std::chrono::steady_clock::time_point start_;
    const bool flashChosen_;
    const bool eepromChosen_;
    std::string version_;
    FileCounts flash_;
    FileCounts eeprom_;
    link::FileKind current_ = link::FileKind::None;  // the file opened last
    std::string currentPath_;
    int lastLineDone_ = 0;  // of the file opened last
};

}  // namespace korvel::cmdline
