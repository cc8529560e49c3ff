#pragma once

#include <memory>
#include <stdexcept>
#include <string>

namespace korvel::link {

// A read error of an open HEX file.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A HEX file opened for reading line by line. A line ends at CR, at LF or at
// CR LF; the line end is not part of the line, and a line end at the very end
// of the file adds no empty line. Every other byte is returned unchanged.
class HexFile {
public:
    virtual ~HexFile() = default;
    virtual bool atEnd() = 0;
    // The next line without its line end; throws FileError on a read error.
    virtual std::string readLine() = 0;
    // Back to the first line; throws FileError on failure.
    virtual void rewind() = 0;
};

class HexFiles {
public:
    virtual ~HexFiles() = default;
    // The file opened for reading, or nullptr when it cannot be opened
    // (missing, not a regular file, no permission).
    virtual std::unique_ptr<HexFile> open(const std::string& path) = 0;
};

}  // namespace korvel::link
