// The HEX file reader and its line splitting on any file content. The reader
// opens files by name, so each input is written to a file first.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "link/DiskHexFiles.h"

using korvel::link::DiskHexFiles;

namespace {

// One in-memory file for the whole run, reached through its /proc path so that
// the reader opens it by name like a file on disk, without the disk's cost.
class ScratchFile {
public:
    ScratchFile() : fd_(::memfd_create("korvel-hexlines", 0))
    {
        FUZZ_CHECK(fd_ >= 0);
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ~ScratchFile() { ::close(fd_); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& write(const std::uint8_t* data, std::size_t size)
    {
        FUZZ_CHECK(::ftruncate(fd_, 0) == 0);
        FUZZ_CHECK(::pwrite(fd_, data, size, 0) == static_cast<ssize_t>(size));
        return path_;
    }

private:
    int fd_;
    std::string path_;
};

// The bytes with every line end (CR LF, CR or LF) written as LF, and a line
// end added after a last line that has none.
std::string withLfEnds(const std::uint8_t* data, std::size_t size)
{
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\r') {
            text += '\n';
            if (i + 1 < size && data[i + 1] == '\n')
                ++i;
        } else {
            text += static_cast<char>(data[i]);
        }
    }
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static ScratchFile scratch;
    DiskHexFiles files;
    const std::string text = files.read(scratch.write(data, size), {});
    FUZZ_CHECK(text == std::string(reinterpret_cast<const char*>(data), size));

    const auto lines = korvel::link::splitHexLines(text, size);
    FUZZ_CHECK(lines);
    std::string joined;
    for (const auto& line : *lines) {
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
        joined += line + '\n';
    }
    FUZZ_CHECK(joined == withLfEnds(data, size));
    // One line fewer allowed than there are: none.
    FUZZ_CHECK(lines->empty() || !korvel::link::splitHexLines(text, lines->size() - 1));
    return 0;
}
