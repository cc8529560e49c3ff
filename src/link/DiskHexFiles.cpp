#include "link/DiskHexFiles.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace korvel::link {

namespace {

class DiskHexFile : public HexFile {
public:
    explicit DiskHexFile(std::FILE* file) : file_(file) {}
    ~DiskHexFile() override { std::fclose(file_); }
    DiskHexFile(const DiskHexFile&) = delete;
    DiskHexFile& operator=(const DiskHexFile&) = delete;

    // A read error is not the end: the next readLine reports it.
    bool atEnd() override
    {
        const int c = std::getc(file_);
        if (c == EOF)
            return !std::ferror(file_);
        std::ungetc(c, file_);
        return false;
    }

    std::string readLine() override
    {
        std::string line;
        for (;;) {
            const int c = std::getc(file_);
            if (c == EOF) {
                if (std::ferror(file_))
                    throw FileError("cannot read the HEX file");
                return line;
            }
            if (c == '\n')
                return line;
            if (c == '\r') {
                const int next = std::getc(file_);
                if (next != '\n' && next != EOF)
                    std::ungetc(next, file_);
                return line;
            }
            line += static_cast<char>(c);
        }
    }

    void rewind() override
    {
        std::clearerr(file_);
        if (std::fseek(file_, 0, SEEK_SET) != 0)
            throw FileError("cannot rewind the HEX file");
    }

private:
    std::FILE* file_;
};

}  // namespace

std::unique_ptr<HexFile> DiskHexFiles::open(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return nullptr;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return nullptr;
    return std::make_unique<DiskHexFile>(file);
}

}  // namespace korvel::link
