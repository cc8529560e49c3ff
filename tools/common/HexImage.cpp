#include "HexImage.h"

#include <fstream>

namespace korvel::intelhex {

namespace {

std::uint16_t addressValue(const Record& record)
{
    return static_cast<std::uint16_t>(record.data[0] << 8 | record.data[1]);
}

}  // namespace

bool HexImage::apply(const Record& record)
{
    switch (record.type) {
    case ExtendedSegmentAddress:
        base_ = std::uint64_t{addressValue(record)} << 4;
        return true;
    case ExtendedLinearAddress:
        base_ = std::uint64_t{addressValue(record)} << 16;
        return true;
    case Data:
        break;
    default:
        return true;
    }
    std::vector<std::uint64_t> addresses;
    addresses.reserve(record.data.size());
    for (std::size_t i = 0; i < record.data.size(); ++i) {
        const std::uint64_t address = base_ + ((record.address + i) & 0xFFFF);
        if (address >= capacity_)
            return false;
        addresses.push_back(address);
    }
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        if (addresses[i] >= bytes_.size())
            bytes_.resize(addresses[i] + 1, 0xFF);
        bytes_[addresses[i]] = record.data[i];
    }
    return true;
}

bool HexImage::writeTo(const std::string& path) const
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes_.data()), static_cast<std::streamsize>(bytes_.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace korvel::intelhex
