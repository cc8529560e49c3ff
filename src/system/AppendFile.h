#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvel::system {

// A file that records are appended to, such as a log a production bench keeps
// of its runs. Opening creates it when it is missing and refuses what a record
// must not be written through: a symbolic link that another user owns (it
// could send the record anywhere; the system's own links, such as
// /dev/stdout, are followed), and anything but a regular file or, on POSIX
// systems, a pipe that a program reads (a device would take the text as
// commands; a pipe nobody reads is refused at once instead of holding the
// run). Every append goes to the end of the file, also where several
// programs append at once. One implementation per system (AppendFilePosix.cpp,
// AppendFileWindows.cpp).
class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens `path` (UTF-8); false with reason() saying why in words.
    bool open(const std::string& path);
    bool isOpen() const { return handle_ != kNone; }
    // Whether the open file is the file at `path`, however either is named.
    bool isFile(const std::string& path) const;
    // Writes the bytes at the end of the file; false with reason() saying why.
    // A pipe's reader has a few seconds to make room.
    bool append(std::string_view bytes);
    const std::string& reason() const { return reason_; }

private:
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t handle_ = kNone;  // a descriptor or a handle, as the system gives it
    std::string reason_;
};

}  // namespace korvel::system
