// korvel-hexgen: writes an Intel HEX file of seeded pseudo-random data, and optionally
// the same bytes as a raw binary file.

#include "NumberArg.h"
#include "link/IntelHex.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct GenOptions {
    std::uint64_t size = 0;
    std::uint64_t address = 0;
    std::uint64_t seed = 1;
    std::uint64_t recordBytes = 16;
    bool lineFeedOnly = false;
    std::string hexPath;
    std::string binPath;
};

const char kUsage[] = "usage: korvel-hexgen --size BYTES [--address A] [--seed N] [--record-bytes N] [--lf]\n"
                      "                     OUT.hex [--bin OUT.bin]\n"
                      "  --size BYTES        number of data bytes (required)\n"
                      "  --address A         load address of the first byte (default 0; 0x... for hex)\n"
                      "  --seed N            seed of the pseudo-random data (default 1)\n"
                      "  --record-bytes N    data bytes per record, 1 to 255 (default 16)\n"
                      "  --lf                end lines with LF instead of CR LF\n"
                      "  --bin OUT.bin       also write the data bytes themselves\n";

bool fail(const std::string& message)
{
    std::cerr << "korvel-hexgen: " << message << "\n" << kUsage;
    return false;
}

bool parseArguments(int argc, char** argv, GenOptions& options)
{
    bool sizeGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto number = [&](std::uint64_t& target) {
            if (i + 1 >= argc)
                return fail(std::string(arg) + " needs a value");
            if (!toolargs::parseUnsigned(argv[++i], target))
                return fail(std::string("not a number for ") + std::string(arg) + ": " + argv[i]);
            return true;
        };
        if (arg == "--size") {
            if (!number(options.size))
                return false;
            sizeGiven = true;
        } else if (arg == "--address") {
            if (!number(options.address))
                return false;
        } else if (arg == "--seed") {
            if (!number(options.seed))
                return false;
        } else if (arg == "--record-bytes") {
            if (!number(options.recordBytes))
                return false;
        } else if (arg == "--lf") {
            options.lineFeedOnly = true;
        } else if (arg == "--bin") {
            if (i + 1 >= argc)
                return fail("--bin needs a file name");
            options.binPath = argv[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return fail("unknown option " + std::string(arg));
        } else if (options.hexPath.empty()) {
            options.hexPath = std::string(arg);
        } else {
            return fail("more than one output file: " + std::string(arg));
        }
    }
    if (!sizeGiven)
        return fail("--size is required");
    if (options.hexPath.empty())
        return fail("no output file given");
    if (options.recordBytes < 1 || options.recordBytes > 255)
        return fail("--record-bytes must be 1 to 255");
    if (options.address > 0xFFFFFFFFull || options.size > 0x100000000ull - options.address)
        return fail("the data does not fit below 4 GiB");
    return true;
}

std::vector<std::uint8_t> makeData(std::uint64_t size, std::uint64_t seed)
{
    std::mt19937 generator(static_cast<std::mt19937::result_type>(seed));
    std::vector<std::uint8_t> data(size);
    for (auto& byte : data)
        byte = static_cast<std::uint8_t>(generator() & 0xFF);
    return data;
}

korvel::intelhex::Record linearAddressRecord(std::uint64_t address)
{
    const auto upper = static_cast<std::uint16_t>(address >> 16);
    return {korvel::intelhex::ExtendedLinearAddress,
            0,
            {static_cast<std::uint8_t>(upper >> 8), static_cast<std::uint8_t>(upper & 0xFF)}};
}

// Records for `data` loaded at `start`: an extended linear address record first and at
// every 64 KiB boundary, data records that never cross one, the end-of-file record last.
std::vector<korvel::intelhex::Record> makeRecords(const std::vector<std::uint8_t>& data, std::uint64_t start,
                                                  std::uint64_t recordBytes)
{
    std::vector<korvel::intelhex::Record> records{linearAddressRecord(start)};
    std::uint64_t address = start;
    std::size_t position = 0;
    while (position < data.size()) {
        if (address != start && (address & 0xFFFF) == 0)
            records.push_back(linearAddressRecord(address));
        const std::uint64_t roomInWindow = 0x10000 - (address & 0xFFFF);
        const std::size_t count =
            static_cast<std::size_t>(std::min<std::uint64_t>({recordBytes, data.size() - position, roomInWindow}));
        korvel::intelhex::Record record{korvel::intelhex::Data, static_cast<std::uint16_t>(address & 0xFFFF), {}};
        record.data.assign(data.begin() + static_cast<std::ptrdiff_t>(position),
                           data.begin() + static_cast<std::ptrdiff_t>(position + count));
        records.push_back(std::move(record));
        position += count;
        address += count;
    }
    records.push_back({korvel::intelhex::EndOfFile, 0, {}});
    return records;
}

bool writeHex(const GenOptions& options, const std::vector<korvel::intelhex::Record>& records)
{
    std::ofstream out(options.hexPath, std::ios::binary | std::ios::trunc);
    const char* lineEnd = options.lineFeedOnly ? "\n" : "\r\n";
    for (const auto& record : records)
        out << korvel::intelhex::encodeRecord(record) << lineEnd;
    out.close();
    return static_cast<bool>(out);
}

bool writeBin(const std::string& path, const std::vector<std::uint8_t>& data)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    GenOptions options;
    if (!parseArguments(argc, argv, options))
        return 2;
    const auto data = makeData(options.size, options.seed);
    if (!writeHex(options, makeRecords(data, options.address, options.recordBytes))) {
        std::cerr << "korvel-hexgen: cannot write " << options.hexPath << "\n";
        return 1;
    }
    if (!options.binPath.empty() && !writeBin(options.binPath, data)) {
        std::cerr << "korvel-hexgen: cannot write " << options.binPath << "\n";
        return 1;
    }
    return 0;
}
