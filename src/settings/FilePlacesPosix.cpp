// Whether the executable's folder is its own on POSIX systems: its owner and
// its mode bits, and whether it lies below a system prefix.
#include "settings/FilePlaces.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel::settings {

namespace {

// Folders that packages install into: what lies below belongs to the system.
bool belowSystemPrefix(const QString& folder)
{
    static const char* const kPrefixes[] = {"/usr", "/opt", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/snap"};
    for (const char* prefix : kPrefixes) {
        const QString given = QLatin1String(prefix);
        if (folder == given || folder.startsWith(given + QLatin1Char('/')))
            return true;
    }
    return false;
}

}  // namespace

ProgramFolder programFolderKind(const QString& programDir)
{
    const QString real = QFileInfo(programDir).canonicalFilePath();
    const QByteArray path = QFile::encodeName(real);
    struct stat folder {};
    if (real.isEmpty() || ::stat(path.constData(), &folder) != 0 || !S_ISDIR(folder.st_mode))
        return ProgramFolder::Shared;
    if ((folder.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return ProgramFolder::Shared;
    if (belowSystemPrefix(real))
        return ProgramFolder::Installed;
    if (folder.st_uid != ::geteuid())
        return folder.st_uid == 0 ? ProgramFolder::Installed : ProgramFolder::Shared;
    // A folder of one's own that one may not write to: read-only media.
    if (::faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) != 0)
        return ProgramFolder::Installed;
    return ProgramFolder::Own;
}

}  // namespace korvel::settings
