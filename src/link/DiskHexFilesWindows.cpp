#include "link/DiskHexFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace korvel::link {

// Windows keeps no FIFOs among the files of a folder, and no shell hands a
// pipe over by name, so every file that opens is read to its end at once.
std::string DiskHexFiles::read(const std::string& path)
{
    const std::filesystem::path name = std::filesystem::u8path(path);
    std::error_code failed;
    if (std::filesystem::is_directory(name, failed))
        throw openError(path, EISDIR);
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(::_wfopen(name.c_str(), L"rb"), std::fclose);
    if (!file)
        throw openError(path, errno);

    std::string text;
    char piece[65536];
    while (const std::size_t got = std::fread(piece, 1, sizeof piece, file.get())) {
        if (text.size() + got > protocol::kMostHexFileBytes)
            throw FileError(FileError::Cause::TooLarge);
        text.append(piece, got);
    }
    if (std::ferror(file.get()))
        throw FileError(FileError::Cause::ReadFailed, std::strerror(errno));
    return text;
}

}  // namespace korvel::link
