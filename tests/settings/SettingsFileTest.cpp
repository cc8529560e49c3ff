#include "settings/SettingsFile.h"
#include "settings/FilePlaces.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Tools.h"

using namespace korvel::settings;

namespace {

uid_t nobodyUid()
{
    const passwd* nobody = ::getpwnam("nobody");
    return nobody ? nobody->pw_uid : 0;
}

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

// Only a folder of this user's own that nobody else may write to keeps the
// files beside the executable; an installed copy and a read-only folder read
// the copies there; a folder others may write to, or another user's, is
// never trusted.
TEST(FilePlaces, WhichFolderKeepsTheFiles)
{
    const QTemporaryDir top;
    const bool root = ::geteuid() == 0;
    const uid_t nobody = nobodyUid();
    const struct {
        const char* name;
        mode_t mode;
        bool toNobody;  // another user's folder
        ProgramFolder kind;
    } rows[] = {
        {"own", 0755, false, ProgramFolder::Own},
        {"own-private", 0700, false, ProgramFolder::Own},
        {"group-writable", 0775, false, ProgramFolder::Shared},
        {"world-writable", 0757, false, ProgramFolder::Shared},
        {"sticky", 01777, false, ProgramFolder::Shared},
        {"read-only", 0555, false, ProgramFolder::Installed},
        {"another-users", 0755, true, ProgramFolder::Shared},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.toNobody && (!root || nobody == 0))
            continue;  // only root hands a folder to another user
        const QString dir = top.filePath(QLatin1String(row.name));
        ASSERT_TRUE(QDir().mkdir(dir));
        ASSERT_EQ(::chmod(native(dir).constData(), row.mode), 0);
        if (row.toNobody) {
            ASSERT_EQ(::chown(native(dir).constData(), nobody, 0), 0);
        }
        // Root may write to a read-only folder: it is no read-only medium.
        const bool rootWrites = root && row.kind == ProgramFolder::Installed;
        EXPECT_EQ(programFolderKind(dir), rootWrites ? ProgramFolder::Own : row.kind);
    }
    EXPECT_EQ(programFolderKind(QStringLiteral("/usr/bin")), ProgramFolder::Installed);
    EXPECT_EQ(programFolderKind(QStringLiteral("/usr/local/bin")), ProgramFolder::Installed);
    EXPECT_EQ(programFolderKind(top.filePath(QStringLiteral("missing"))), ProgramFolder::Shared);
    // Links are resolved: a link in a folder of one's own to /usr/bin is /usr/bin.
    const QString link = top.filePath(QStringLiteral("own/bin"));
    ASSERT_EQ(::symlink("/usr/bin", native(link).constData()), 0);
    EXPECT_EQ(programFolderKind(link), ProgramFolder::Installed);
}

// Where each kind of folder reads and writes the files: a file planted beside
// a program in a shared folder is never read.
TEST(FilePlaces, PathsForEachKindOfFolder)
{
    const QTemporaryDir top, config;
    qputenv("XDG_CONFIG_HOME", native(config.path()));
    const QString user = config.path() + QStringLiteral("/avrbootloaderkorvel/");
    const QString own = top.filePath(QStringLiteral("own")), shared = top.filePath(QStringLiteral("shared"));
    ASSERT_TRUE(QDir().mkdir(own) && QDir().mkdir(shared));
    ASSERT_EQ(::chmod(native(own).constData(), 0755), 0);
    ASSERT_EQ(::chmod(native(shared).constData(), 01777), 0);
    for (const QString& dir : {own, shared}) {
        ASSERT_TRUE(writeFile(dir + QStringLiteral("/AVRBootloaderKorvel.cfg"), "planted"));
        ASSERT_TRUE(writeFile(dir + QStringLiteral("/AVRBootloaderKorvel.ports"), "COM1=/etc/shadow\n"));
    }
    const FilePlaces beside(own), elsewhere(shared), installed(QStringLiteral("/usr/bin"));
    EXPECT_EQ(beside.settingsPaths().load, own + QStringLiteral("/AVRBootloaderKorvel.cfg"));
    EXPECT_EQ(beside.settingsPaths().save, own + QStringLiteral("/AVRBootloaderKorvel.cfg"));
    EXPECT_EQ(beside.portsPath(), own + QStringLiteral("/AVRBootloaderKorvel.ports"));
    EXPECT_EQ(elsewhere.settingsPaths().load, user + QStringLiteral("AVRBootloaderKorvel.cfg"));
    EXPECT_EQ(elsewhere.settingsPaths().save, user + QStringLiteral("AVRBootloaderKorvel.cfg"));
    EXPECT_EQ(elsewhere.portsPath(), user + QStringLiteral("AVRBootloaderKorvel.ports"));
    EXPECT_EQ(installed.settingsPaths().save, user + QStringLiteral("AVRBootloaderKorvel.cfg"));
    qunsetenv("XDG_CONFIG_HOME");
}

// Makes writes to regular files fail beyond `bytes` for as long as it lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

class SettingsFile : public ::testing::Test {
protected:
    QString path() const { return dir_.filePath(kSettingsFileName); }
    QStringList entries() const
    {
        return QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dir_;
    const QByteArray oldContent_ = "1\r\n1\r\n\"/old/app.hex\"\r\n0\r\n\"\"\r\n";
    const Settings newSettings_{0, 0, "/new/app.hex", 1, "/new/data.hex"};
    const QByteArray written_ = "0\r\n0\r\n\"/new/app.hex\"\r\n1\r\n\"/new/data.hex\"\r\n";
};

TEST_F(SettingsFile, WrittenFileReplacesALongerOneWholeAndReadsBack)
{
    ASSERT_TRUE(writeFile(path(), oldContent_ + QByteArray(500, 'x')));
    ASSERT_TRUE(writeSettingsFile(path(), newSettings_));
    EXPECT_EQ(fileContents(path()), written_);
    EXPECT_EQ(readSettingsFile(path(), 1).values, newSettings_);
    EXPECT_EQ(entries(), QStringList{kSettingsFileName});
}

// A missing file is told apart from one that is there but cannot be used:
// a command-line run warns only about the latter.
TEST_F(SettingsFile, MissingOversizedOrDirectoryGivesNothing)
{
    using Outcome = korvel::settings::StoredSettings::Outcome;
    const auto outcome = [this] {
        const auto read = readSettingsFile(path(), 2);
        EXPECT_FALSE(read.values);
        return read.outcome;
    };
    EXPECT_EQ(outcome(), Outcome::Missing);
    ASSERT_TRUE(writeFile(path(), oldContent_ + QByteArray(64 * 1024, '\n')));
    EXPECT_EQ(outcome(), Outcome::Unusable) << "oversized";
    ASSERT_TRUE(QFile::remove(path()));
    ASSERT_TRUE(QDir(dir_.path()).mkdir(kSettingsFileName));
    EXPECT_EQ(outcome(), Outcome::Unusable) << "a directory";
}

// A disk that fills up in the middle of the write: the old file stays whole
// and no temporary file is left behind.
TEST_F(SettingsFile, WriteCutShortLeavesTheOldFileWhole)
{
    ASSERT_TRUE(writeFile(path(), oldContent_));
    bool written = true;
    {
        FileSizeLimit limit(16);
        written = writeSettingsFile(path(), newSettings_).written;
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(fileContents(path()), oldContent_);
    EXPECT_EQ(entries(), QStringList{kSettingsFileName});
}

// What lies at the settings file's place decides whether the save goes ahead:
// another user's link is never written through, a link of one's own is; a
// FIFO, a folder or a link that leads nowhere is left alone. No new file is
// left behind on any way.
TEST_F(SettingsFile, WhatLiesInThePlaceOfTheFile)
{
    const QString target = dir_.filePath(QStringLiteral("target"));
    const QByteArray targetPath = native(target);
    const uid_t nobody = nobodyUid();
    const struct {
        const char* what;
        bool needsRoot;
        std::function<void()> make;
        QString failure;  // empty: written
        QByteArray targetAfter;
    } rows[] = {
        {"another user's link", true,
         [&] {
             ASSERT_EQ(::symlink(targetPath.constData(), native(path()).constData()), 0);
             ASSERT_EQ(::lchown(native(path()).constData(), nobody, 0), 0);
         },
         QStringLiteral("It is a symbolic link that belongs to nobody, not to you: nothing was written through it. "
                        "Remove the link, then try again."),
         "root's own"},
        {"own link", false, [&] { ASSERT_EQ(::symlink(targetPath.constData(), native(path()).constData()), 0); },
         QString(), written_},
        {"link that leads nowhere", false, [&] { ASSERT_EQ(::symlink("missing/x", native(path()).constData()), 0); },
         QStringLiteral("It is a symbolic link that leads nowhere (No such file or directory)."), "root's own"},
        {"FIFO", false, [&] { ASSERT_EQ(::mkfifo(native(path()).constData(), 0600), 0); },
         QStringLiteral("It is not a regular file."), "root's own"},
        {"folder", false, [&] { ASSERT_TRUE(QDir().mkdir(path())); }, QStringLiteral("It is not a regular file."),
         "root's own"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.needsRoot && (::geteuid() != 0 || nobody == 0))
            continue;  // only root makes a link that belongs to another user
        ASSERT_TRUE(writeFile(target, "root's own"));
        row.make();
        const QStringList before = entries();
        const WriteResult result = writeSettingsFile(path(), newSettings_);
        EXPECT_EQ(result.written, row.failure.isEmpty());
        EXPECT_EQ(result.reason, row.failure);
        EXPECT_EQ(fileContents(target), row.targetAfter);
        EXPECT_EQ(entries(), before);
        ::unlink(native(path()).constData());
        ::rmdir(native(path()).constData());
    }
}

// A new settings file gets the permissions the user's umask gives; a file
// that is replaced keeps its own.
TEST_F(SettingsFile, PermissionsOfTheFile)
{
    const mode_t saved = ::umask(077);
    ASSERT_TRUE(writeSettingsFile(path(), newSettings_));
    ::umask(saved);
    struct stat status {};
    ASSERT_EQ(::stat(native(path()).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    ASSERT_EQ(::chmod(native(path()).constData(), 0640), 0);
    ASSERT_TRUE(writeSettingsFile(path(), newSettings_));
    ASSERT_EQ(::stat(native(path()).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
    EXPECT_EQ(entries(), QStringList{kSettingsFileName});
}

}  // namespace
