#include "link/DiskHexFiles.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace korvel::link {

FileOpenError DiskHexFiles::openError(const std::string& path, int error)
{
    std::error_code failed;
    const std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::u8path(path), failed);
    return FileOpenError(std::strerror(error), failed ? path : absolute.u8string());
}

}  // namespace korvel::link
