#include "link/DiskHexFiles.h"

#include "system/WholeFile.h"

#include <filesystem>
#include <system_error>

namespace korvel::link {

namespace {

// The failure to open `path`, with the path as the system resolves it.
FileOpenError openError(const std::string& path, const std::string& reason)
{
    std::error_code failed;
    const std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::u8path(path), failed);
    return FileOpenError(reason, failed ? path : absolute.u8string());
}

}  // namespace

std::string DiskHexFiles::read(const std::string& path, const KeepWaiting& keepWaiting)
{
    using Outcome = system::WholeFile::Outcome;
    system::WholeFile file = system::readWholeFile(path, {protocol::kMostHexFileBytes, false, readLimit_, keepWaiting});
    switch (file.outcome) {
    case Outcome::Read:
        return std::move(file.content);
    case Outcome::Missing:
    case Outcome::NotOpened:
    case Outcome::IsDirectory:
    case Outcome::NotRegular:
        throw openError(path, file.reason);
    case Outcome::TooLarge:
        throw FileError(FileError::Cause::TooLarge);
    case Outcome::TooSlow:
        throw FileError(FileError::Cause::TooSlow);
    case Outcome::ReadFailed:
        throw FileError(FileError::Cause::ReadFailed, file.reason);
    case Outcome::Interrupted:
        throw FileError(FileError::Cause::Interrupted);
    }
    throw FileError(FileError::Cause::ReadFailed, file.reason);
}

}  // namespace korvel::link
