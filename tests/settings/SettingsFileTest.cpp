#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace korvel::settings;

namespace {

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void putFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(content), content.size());
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
        return QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dir_;
    const QByteArray oldContent_ = "1\r\n1\r\n\"/old/app.hex\"\r\n0\r\n\"\"\r\n";
    const Settings newSettings_{0, 0, "/new/app.hex", 1, "/new/data.hex"};
};

TEST_F(SettingsFile, WrittenFileReplacesALongerOneWholeAndReadsBack)
{
    putFile(path(), oldContent_ + QByteArray(500, 'x'));
    ASSERT_TRUE(writeSettingsFile(path(), newSettings_));
    EXPECT_EQ(contentOf(path()), "0\r\n0\r\n\"/new/app.hex\"\r\n1\r\n\"/new/data.hex\"\r\n");
    EXPECT_EQ(readSettingsFile(path(), 1), newSettings_);
    EXPECT_EQ(entries(), QStringList{kSettingsFileName});
}

TEST_F(SettingsFile, MissingOversizedOrDirectoryGivesNothing)
{
    EXPECT_FALSE(readSettingsFile(path(), 2)) << "missing";
    putFile(path(), oldContent_ + QByteArray(64 * 1024, '\n'));
    EXPECT_FALSE(readSettingsFile(path(), 2)) << "oversized";
    ASSERT_TRUE(QFile::remove(path()));
    ASSERT_TRUE(QDir(dir_.path()).mkdir(kSettingsFileName));
    EXPECT_FALSE(readSettingsFile(path(), 2)) << "a directory";
}

TEST_F(SettingsFile, FailedWriteLeavesEverythingAsItWas)
{
    ASSERT_TRUE(QDir(dir_.path()).mkdir(kSettingsFileName));
    putFile(path() + "/inside", oldContent_);
    EXPECT_FALSE(writeSettingsFile(path(), newSettings_));
    EXPECT_EQ(contentOf(path() + "/inside"), oldContent_);
    EXPECT_EQ(entries(), QStringList{kSettingsFileName});
}

TEST_F(SettingsFile, WriteCutShortLeavesTheOldFileWhole)
{
    putFile(path(), oldContent_);
    bool written = true;
    {
        FileSizeLimit limit(16);
        written = writeSettingsFile(path(), newSettings_).written;
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(contentOf(path()), oldContent_);
    EXPECT_EQ(entries(), QStringList{kSettingsFileName});
}

}  // namespace
