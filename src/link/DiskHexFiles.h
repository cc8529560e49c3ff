#pragma once

#include <chrono>

#include "link/HexFile.h"
#include "link/Protocol.h"

namespace korvel::link {

// HEX files read from the disk, or from a pipe such as <(zcat app.hex.gz) or a
// FIFO, through the system layer's whole-file reader.
class DiskHexFiles : public HexFiles {
public:
    // `readLimit`: how long reading may wait for a pipe's writer in all.
    explicit DiskHexFiles(std::chrono::milliseconds readLimit = std::chrono::seconds(protocol::kHexReadSeconds))
        : readLimit_(readLimit)
    {
    }
    std::string read(const std::string& path, const KeepWaiting& keepWaiting) override;

private:
    std::chrono::milliseconds readLimit_;
};

}  // namespace korvel::link
