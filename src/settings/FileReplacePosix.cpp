// Replacing a small file on POSIX systems: a new file created beside it
// without following links, written, synced and renamed over the old one.
#include "settings/FileReplace.h"

#include "base/ForeignText.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel::settings {

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString ownerName(uid_t uid)
{
    if (const passwd* found = ::getpwuid(uid))
        return QString::fromStdString(escapedForeign(found->pw_name));
    return QStringLiteral("user %1").arg(uid);
}

// Writes all of `content` and makes it durable; false with errno set when not.
bool writeAll(int file, const QByteArray& content)
{
    qsizetype done = 0;
    while (done < content.size()) {
        const ssize_t count = ::write(file, content.constData() + done, std::size_t(content.size() - done));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            if (count == 0)
                errno = EIO;
            return false;
        }
        done += count;
    }
    return ::fsync(file) == 0;
}

}  // namespace

std::optional<QString> replaceFile(const QString& path, const QByteArray& content)
{
    std::string target = QFile::encodeName(path).toStdString();
    struct stat existing {};
    bool exists = ::lstat(target.c_str(), &existing) == 0;
    if (exists && S_ISLNK(existing.st_mode)) {
        if (existing.st_uid != ::geteuid())
            return QStringLiteral("It is a symbolic link that belongs to %1, not to you: nothing was written through "
                                  "it. Remove the link, then try again.")
                .arg(ownerName(existing.st_uid));
        char* real = ::realpath(target.c_str(), nullptr);
        if (!real)
            return QStringLiteral("It is a symbolic link that leads nowhere (%1).").arg(systemReason(errno));
        target = real;
        std::free(real);
        exists = ::lstat(target.c_str(), &existing) == 0;
    }
    if (exists && !S_ISREG(existing.st_mode))
        return QStringLiteral("It is not a regular file.");

    // A name of our own beside the target, created only if nothing has it.
    const std::string folder = target.substr(0, target.find_last_of('/') + 1);
    const std::string name = target.substr(target.find_last_of('/') + 1);
    std::string temporary;
    int file = -1;
    for (int attempt = 0; attempt < 100 && file < 0; ++attempt) {
        temporary = folder + "." + name + "." + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        file = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (file < 0 && errno != EEXIST)
            return systemReason(errno);
    }
    if (file < 0)
        return systemReason(EEXIST);

    // The old file's permissions carry over to its successor.
    bool written = (!exists || ::fchmod(file, existing.st_mode & 0777) == 0) && writeAll(file, content);
    int reason = errno;
    if (::close(file) != 0 && written) {
        written = false;
        reason = errno;
    }
    if (written && ::rename(temporary.c_str(), target.c_str()) == 0)
        return std::nullopt;
    if (written)
        reason = errno;
    ::unlink(temporary.c_str());
    return systemReason(reason);
}

}  // namespace korvel::settings
