#pragma once

#include "link/IntelHex.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvel::intelhex {

// A memory filled from HEX records: data records land at the base address set by the
// last extended segment (02) or extended linear (04) record plus their 16-bit offset,
// which wraps within its 64 KiB window. Unwritten bytes read 0xFF.
class HexImage {
public:
    static constexpr std::size_t kDefaultCapacity = 16u * 1024 * 1024;

    explicit HexImage(std::size_t capacity = kDefaultCapacity) : capacity_(capacity) {}

    // Back to base address 0, as at the start of a file.
    void resetAddressing() { base_ = 0; }

    // Applies one valid record. Returns false, writing nothing, when a data byte
    // would fall outside the capacity.
    bool apply(const Record& record);

    // From address 0 up to the highest byte written.
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

    bool writeTo(const std::string& path) const;

private:
    std::size_t capacity_;
    std::uint64_t base_ = 0;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace korvel::intelhex
