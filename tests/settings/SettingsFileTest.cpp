#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include "Tools.h"

using namespace korvel::settings;

namespace {

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
    ASSERT_TRUE(writeFile(path(), oldContent_ + QByteArray(500, 'x')));
    ASSERT_TRUE(writeSettingsFile(path(), newSettings_));
    EXPECT_EQ(fileContents(path()), "0\r\n0\r\n\"/new/app.hex\"\r\n1\r\n\"/new/data.hex\"\r\n");
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

}  // namespace
