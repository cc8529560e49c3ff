#pragma once

#include "link/HexFile.h"

namespace korvel::link {

// HEX files read from the disk.
class DiskHexFiles : public HexFiles {
public:
    std::unique_ptr<HexFile> open(const std::string& path) override;
};

}  // namespace korvel::link
