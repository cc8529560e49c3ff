#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "link/HexFile.h"
#include "sim/SimWorld.h"

namespace korvel::linktest {

// HEX files held as lines; opening and closing go into the journal.
class MemoryHexFiles : public link::HexFiles {
public:
    explicit MemoryHexFiles(Journal& journal) : journal_(journal) {}
    std::unique_ptr<link::HexFile> open(const std::string& path) override;

    std::map<std::string, std::vector<std::string>> files;
    std::optional<std::size_t> failReadAt;  // index of the line whose reading fails

private:
    Journal& journal_;
};

}  // namespace korvel::linktest
