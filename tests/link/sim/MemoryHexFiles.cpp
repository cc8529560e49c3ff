#include "sim/MemoryHexFiles.h"

namespace korvel::linktest {

namespace {

class MemoryHexFile : public link::HexFile {
public:
    MemoryHexFile(const std::vector<std::string>& lines, std::optional<std::size_t> failAt,
                  Journal& journal, std::string path)
        : lines_(lines), failAt_(failAt), journal_(journal), path_(std::move(path)) {}
    ~MemoryHexFile() override { journal_.add("file closed " + path_); }

    bool atEnd() override { return next_ >= lines_.size(); }
    std::string readLine() override {
        if (next_ == failAt_) throw link::FileError("read failed");
        return lines_.at(next_++);
    }
    void rewind() override { next_ = 0; }

private:
    const std::vector<std::string>& lines_;
    std::optional<std::size_t> failAt_;
    Journal& journal_;
    std::string path_;
    std::size_t next_ = 0;
};

}  // namespace

std::unique_ptr<link::HexFile> MemoryHexFiles::open(const std::string& path) {
    const auto found = files.find(path);
    if (found == files.end()) return nullptr;
    journal_.add("file open " + path);
    return std::make_unique<MemoryHexFile>(found->second, failReadAt, journal_, path);
}

}  // namespace korvel::linktest
