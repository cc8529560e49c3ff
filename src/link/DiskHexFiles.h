#pragma once

#include <chrono>

#include "link/HexFile.h"
#include "link/Protocol.h"

namespace korvel::link {

// HEX files read from the disk, or from a pipe such as <(zcat app.hex.gz) or a
// FIFO. One implementation of read() per system (DiskHexFilesPosix.cpp,
// DiskHexFilesWindows.cpp).
class DiskHexFiles : public HexFiles {
public:
    // `readLimit`: how long reading may wait for a pipe's writer in all.
    explicit DiskHexFiles(std::chrono::milliseconds readLimit = std::chrono::seconds(protocol::kHexReadSeconds))
        : readLimit_(readLimit)
    {
    }
    std::string read(const std::string& path) override;

private:
    // The failure to open `path` for the system's error number.
    static FileOpenError openError(const std::string& path, int error);

    std::chrono::milliseconds readLimit_;
};

}  // namespace korvel::link
