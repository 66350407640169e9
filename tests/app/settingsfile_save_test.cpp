// How a settings save treats what the user set up around the file: links, owner and permissions,
// folders it may not write, odd files, another instance saving at the same moment, and leftovers.
#include "app/inifile.h"
#include "app/utils.h"
#include "support/tempdir.h"

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

// Runs body in a child process as an unprivileged user (nobody when the tests run as root) and
// gives its exit status: 0 when body held.
int AsUser(const std::function<bool()>& body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(20);
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(2);
        ::_exit(body() ? 0 : 1);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

struct stat StatOf(const std::string& path)
{
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info;
}

class SettingsSave : public ::testing::Test {
protected:
    TempDir dir;
    std::string ini = dir.File("chronivo.ini");

    // The folder and the named files become the unprivileged user's own.
    void GiveToUser(std::initializer_list<std::string> names = {})
    {
        if (::geteuid() != 0)
            return;
        ::chown(dir.Path().c_str(), kNobody, kNobody);
        for (const std::string& name : names)
            ::lchown(dir.File(name).c_str(), kNobody, kNobody);
    }
    std::string Read(const std::string& section, const std::string& key)
    {
        return ReadIniString(ini, section, key, 64, "<default>");
    }
};

TEST_F(SettingsSave, LinkIsFollowedAndHardLinkKept)
{
    dir.Write("real.ini", "[MainWin]\nTop=5\n");
    ::symlink("real.ini", ini.c_str());
    ::link(dir.File("real.ini").c_str(), dir.File("second.ini").c_str());
    ASSERT_TRUE(WriteIniString(ini, "MainWin", "Top", "6"));
    EXPECT_TRUE(S_ISLNK(StatOf(ini).st_mode));
    EXPECT_EQ(dir.Read("real.ini"), "[MainWin]\nTop=6\n");
    EXPECT_EQ(dir.Read("second.ini"), "[MainWin]\nTop=6\n");
}

TEST_F(SettingsSave, OwnerGroupAndModeStayButNeverSetIdBits)
{
    dir.Write("chronivo.ini", "[MainWin]\nTop=5\n");
    const gid_t group = ::geteuid() == 0 ? kNobody : ::getegid();
    ::chown(ini.c_str(), ::geteuid(), group);
    ::chmod(ini.c_str(), 06751);
    ASSERT_TRUE(WriteIniString(ini, "MainWin", "Top", "6"));
    const struct stat after = StatOf(ini);
    EXPECT_EQ(after.st_mode & 07777, 0751u);
    EXPECT_EQ(after.st_uid, ::geteuid());
    EXPECT_EQ(after.st_gid, group);
}

TEST_F(SettingsSave, FileTheUserMayNotWriteIsNotReplacedAndThatIsSaidOnce)
{
    dir.Write("chronivo.ini", "[MainWin]\nTop=5\n");
    ::chmod(ini.c_str(), 0444);
    GiveToUser({"chronivo.ini"});
    EXPECT_EQ(AsUser([&] {
                  ::testing::internal::CaptureStderr();
                  const bool refused = !WriteIniString(ini, "MainWin", "Top", "6") &&
                                       !WriteIniString(ini, "MainWin", "Left", "6");
                  const std::string told = ::testing::internal::GetCapturedStderr();
                  const std::size_t first = told.find("not saved");
                  return refused && first != std::string::npos && told.find("not saved", first + 1) == std::string::npos;
              }),
              0);
    EXPECT_EQ(dir.Read("chronivo.ini"), "[MainWin]\nTop=5\n");
    EXPECT_EQ(StatOf(ini).st_mode & 0777, 0444u);
}

TEST_F(SettingsSave, WritableFileInAFolderTheUserMayNotWriteIsChangedInPlace)
{
    dir.Write("chronivo.ini", "[MainWin]\nTop=5\n");
    ::chmod(ini.c_str(), 0666);
    ::chmod(dir.Path().c_str(), 0555);
    const ino_t inode = StatOf(ini).st_ino;
    EXPECT_EQ(AsUser([&] { return WriteIniString(ini, "MainWin", "Top", "6"); }), 0);
    ::chmod(dir.Path().c_str(), 0700);
    EXPECT_EQ(dir.Read("chronivo.ini"), "[MainWin]\nTop=6\n");
    EXPECT_EQ(StatOf(ini).st_ino, inode);
}

TEST_F(SettingsSave, PrivilegedSaveNeitherWritesNorFollowsWhatAnotherUserOwns)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root";
    dir.Write("theirs.ini", "[MainWin]\nTop=5\n");
    dir.Write("mine.ini", "[MainWin]\nTop=5\n");
    ::symlink("theirs.ini", ini.c_str());
    GiveToUser({"theirs.ini"});
    EXPECT_FALSE(WriteIniString(ini, "MainWin", "Top", "6"));
    EXPECT_EQ(dir.Read("theirs.ini"), "[MainWin]\nTop=5\n");
    EXPECT_EQ(StatOf(dir.File("theirs.ini")).st_uid, kNobody);

    ::unlink(ini.c_str());
    ::symlink("mine.ini", ini.c_str());
    GiveToUser({"chronivo.ini"});
    EXPECT_FALSE(WriteIniString(ini, "MainWin", "Top", "6"));
    EXPECT_EQ(dir.Read("mine.ini"), "[MainWin]\nTop=5\n");
}

TEST_F(SettingsSave, LoneCarriageReturnAtTheEndKeepsTheLastValue)
{
    dir.Write("chronivo.ini", "[Display]\r\nMap view=3\r");
    ASSERT_TRUE(WriteIniString(ini, "Clock", "Log", "x"));
    ASSERT_TRUE(WriteIniString(ini, "Display", "Font size", "8"));
    EXPECT_EQ(Read("Display", "Map view"), "3");
    EXPECT_EQ(Read("Display", "Font size"), "8");
    EXPECT_EQ(Read("Clock", "Log"), "x");
    EXPECT_EQ(dir.Read("chronivo.ini").rfind("[Display]\r\nMap view=3\r\n", 0), 0u);
}

TEST_F(SettingsSave, FifoReadsAsAbsentAndIsNeverWaitedOn)
{
    ASSERT_EQ(::mkfifo(ini.c_str(), 0600), 0);
    EXPECT_EQ(AsUser([&] {
                  return Read("MainWin", "Top") == "<default>" && !WriteIniString(ini, "MainWin", "Top", "6");
              }),
              0);
    EXPECT_TRUE(S_ISFIFO(StatOf(ini).st_mode));
}

TEST_F(SettingsSave, TwoInstancesSavingAtOnceLoseNoKey)
{
    constexpr int kKeys = 40;
    auto writer = [&](const std::string& section) {
        const pid_t child = ::fork();
        if (child == 0) {
            for (int i = 0; i < kKeys; ++i)
                WriteIniString(ini, section, "Key " + std::to_string(i), std::to_string(i));
            ::_exit(0);
        }
        return child;
    };
    const pid_t first = writer("One");
    const pid_t second = writer("Two");
    ::waitpid(first, nullptr, 0);
    ::waitpid(second, nullptr, 0);
    for (int i = 0; i < kKeys; ++i) {
        EXPECT_EQ(Read("One", "Key " + std::to_string(i)), std::to_string(i));
        EXPECT_EQ(Read("Two", "Key " + std::to_string(i)), std::to_string(i));
    }
}

TEST_F(SettingsSave, StaleTemporariesOfOurOwnAreRemovedAtTheNextSave)
{
    dir.Write("chronivo.ini.Ab12Cd.tmp", "old");
    dir.Write("chronivo.ini.Xy34Zw.tmp", "in use");
    dir.Write("chronivo.ini.backup", "the user's");
    // Ages are told by the program's clock, which may run apart from the one that stamps files.
    const std::time_t now = std::time(nullptr);
    const timespec old[2] = {{now - 3600, 0}, {now - 3600, 0}};
    const timespec recent[2] = {{now, 0}, {now, 0}};
    ::utimensat(AT_FDCWD, dir.File("chronivo.ini.Ab12Cd.tmp").c_str(), old, 0);
    ::utimensat(AT_FDCWD, dir.File("chronivo.ini.Xy34Zw.tmp").c_str(), recent, 0);
    ::utimensat(AT_FDCWD, dir.File("chronivo.ini.backup").c_str(), old, 0);
    ASSERT_TRUE(WriteIniString(ini, "MainWin", "Top", "6"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("chronivo.ini.Ab12Cd.tmp")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("chronivo.ini.Xy34Zw.tmp")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("chronivo.ini.backup")));
}

} // namespace
