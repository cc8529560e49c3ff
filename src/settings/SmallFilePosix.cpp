#include "settings/SmallFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvel::settings {

namespace {

// Closes a file descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }

private:
    int fd_;
};

SmallFile systemRefusal()
{
    return SmallFile::refused(QString::fromLocal8Bit(std::strerror(errno)));
}

}  // namespace

SmallFile readSmallFile(const QString& path, qint64 largest)
{
    // Opening a FIFO that has no writer, or some terminals, waits unless the
    // open is non-blocking. The type is then checked on what was opened, which
    // a change of the path after a check cannot replace.
    const Descriptor file(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0)
        return errno == ENOENT ? SmallFile{} : systemRefusal();
    struct stat status {};
    if (::fstat(file.get(), &status) != 0)
        return systemRefusal();
    if (!S_ISREG(status.st_mode))
        return SmallFile::notRegular();

    QByteArray content(largest + 1, Qt::Uninitialized);
    qint64 size = 0;
    while (size < content.size()) {
        const ssize_t got = ::read(file.get(), content.data() + size, std::size_t(content.size() - size));
        if (got == 0)
            break;
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return systemRefusal();
        size += got;
    }
    if (size > largest)
        return SmallFile::tooLarge(largest);
    content.truncate(size);
    return {SmallFile::Outcome::Read, content, {}};
}

}  // namespace korvel::settings
