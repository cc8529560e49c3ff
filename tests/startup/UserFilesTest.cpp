// An installed program: its folder is not writable, so the settings live in
// the user's configuration folder. Root may write to any folder; run as root,
// this test drops to the user nobody before anything else.
#include "StartupRig.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace {

bool unprivileged = false;

bool becomeNobody()
{
    const passwd* nobody = ::getpwnam("nobody");
    return nobody && ::setgroups(0, nullptr) == 0 && ::setresgid(nobody->pw_gid, nobody->pw_gid, nobody->pw_gid) == 0 &&
           ::setresuid(nobody->pw_uid, nobody->pw_uid, nobody->pw_uid) == 0;
}

TEST(InstalledProgram, FirstStartReadsBesideTheExecutableOrWarnsExitWritesTheUsersFileNextStartIsSilent)
{
    if (!unprivileged)
        GTEST_SKIP() << "running as root, and the switch to the user nobody failed";
    const QTemporaryDir configHome;
    const QString ownSettings = configHome.path() + QStringLiteral("/avrbootloaderkorvel/AVRBootloaderKorvel.cfg");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    const QString warning = QStringLiteral("An error occured while loading file ") + ownSettings +
                            QStringLiteral(". The default settings will be loaded instead.");
    const struct {
        bool besideCopy;
        std::string firstBoxes;
        QByteArray saved;
    } cases[] = {
        {true, "", ProgramDir::kSettings},
        {false, warning.toStdString(), "-1\r\n1\r\n\"\"\r\n0\r\n\"\"\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.besideCopy);
        QDir(QFileInfo(ownSettings).path()).removeRecursively();
        const ProgramDir dir(c.besideCopy);
        ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        EXPECT_EQ(startAndExit(dir.path()), c.firstBoxes);
        EXPECT_EQ(fileContents(ownSettings), c.saved);
        EXPECT_EQ(startAndExit(dir.path()), "");
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    qunsetenv("XDG_CONFIG_HOME");
}

}  // namespace

int main(int argc, char** argv)
{
    unprivileged = ::getuid() != 0 || becomeNobody();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
