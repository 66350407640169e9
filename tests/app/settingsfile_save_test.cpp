// How a settings save treats what the user set up around the file: links, owner and permissions,
// folders it may not write, odd files, another instance saving at the same moment, and leftovers.
#include "app/inifile.h"
#include "app/settingssaver.h"
#include "app/utils.h"
#include "support/tempdir.h"

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
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

// A user saving their own file whose group they are not in: the file is replaced whole, with the
// user's group, which gets no more than others have.
TEST_F(SettingsSave, GroupThatCannotBeKeptGainsNothingOverOthers)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give the file a group the user is not in";
    dir.Write("chronivo.ini", "[MainWin]\nTop=5\n");
    ::chmod(ini.c_str(), 0664);
    GiveToUser({"chronivo.ini"});
    ::chown(ini.c_str(), kNobody, 0);
    EXPECT_EQ(AsUser([&] { return WriteIniString(ini, "MainWin", "Top", "6"); }), 0);
    EXPECT_EQ(dir.Read("chronivo.ini"), "[MainWin]\nTop=6\n");
    EXPECT_EQ(StatOf(ini).st_gid, kNobody);
    EXPECT_EQ(StatOf(ini).st_mode & 0777, 0644u);
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

    // A link to a folder, in the middle of the path.
    ::mkdir(dir.File("root's").c_str(), 0700);
    ::symlink("root's", dir.File("through").c_str());
    GiveToUser({"through"});
    EXPECT_FALSE(WriteIniString(dir.File("through") + "/chronivo.ini", "MainWin", "Top", "6"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("root's") + "/chronivo.ini"));
}

// Root saving in a user's folder leaves nothing there (no settings file, no lock) that would stop
// the user's own saves later.
TEST_F(SettingsSave, PrivilegedSaveCreatesNothingInAnotherUsersFolder)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root";
    GiveToUser();
    EXPECT_FALSE(WriteIniString(ini, "MainWin", "Top", "6"));
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
    EXPECT_EQ(AsUser([&] { return WriteIniString(ini, "MainWin", "Top", "7"); }), 0);
    EXPECT_EQ(Read("MainWin", "Top"), "7");
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

// Whatever sits where the lock file goes, writers of the file exclude each other: five of them,
// one key per save, keep every key.
class SettingsLockPath : public SettingsSave, public ::testing::WithParamInterface<const char*> {};

TEST_P(SettingsLockPath, FiveWritersLoseNoKey)
{
    constexpr int kWriters = 5;
    constexpr int kKeys = 60;
    const std::string lock = ini + ".lock";
    const std::string kind = GetParam();
    if (kind == "link")
        ::symlink("chronivo.ini", lock.c_str());
    else if (kind == "fifo")
        ::mkfifo(lock.c_str(), 0666);
    else if (kind == "folder")
        ::mkdir(lock.c_str(), 0777);
    else if (kind == "another user's file" && ::geteuid() == 0)
    {
        dir.Write("chronivo.ini.lock", "");
        ::chmod(lock.c_str(), 0600); // root's: the writers cannot open it
    }
    GiveToUser();
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.push_back(::fork());
        if (writers.back() == 0)
            ::_exit(AsUser([&] {
                for (int i = 0; i < kKeys; ++i)
                    WriteIniString(ini, "Writer " + std::to_string(w), "Key " + std::to_string(i), std::to_string(i));
                return true;
            }));
    }
    for (const pid_t writer : writers)
        ::waitpid(writer, nullptr, 0);
    int lost = 0;
    for (int w = 0; w < kWriters; ++w)
        for (int i = 0; i < kKeys; ++i)
            lost += Read("Writer " + std::to_string(w), "Key " + std::to_string(i)) != std::to_string(i);
    EXPECT_EQ(lost, 0) << "of " << kWriters * kKeys;
}

INSTANTIATE_TEST_SUITE_P(WhatSitsThere, SettingsLockPath,
                         ::testing::Values("nothing", "link", "fifo", "folder", "another user's file"));

// A lock another program holds makes a save wait its turn, never fail: one try says Busy at once,
// the saver keeps the keys readable meanwhile and lands them all, in one write, once it is free.
TEST_F(SettingsSave, HeldLockDelaysTheSaveUntilItIsFree)
{
    const int held = ::open((ini + ".lock").c_str(), O_RDONLY | O_CREAT, 0644);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(inifile::TryWriteValues(ini, {{"MainWin", "Top", "1"}}), inifile::WriteOutcome::Busy);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));

    SettingsSaver saver;
    saver.Save(ini, {{"MainWin", "Top", "6"}, {"MainWin", "Left", "7"}});
    saver.Save(ini, {{"mainwin", "TOP", " 8 "}});
    std::string reason;
    EXPECT_EQ(saver.Flush(std::chrono::milliseconds(300), reason), SavesFinished::LockHeld);
    EXPECT_NE(reason.find("lock"), std::string::npos) << reason;
    EXPECT_FALSE(std::filesystem::exists(ini));
    EXPECT_EQ(saver.Pending(ini, "MainWin", "Top"), "8");
    ::close(held);
    ASSERT_EQ(saver.Flush(std::chrono::seconds(10), reason), SavesFinished::Saved) << reason;
    EXPECT_EQ(dir.Read("chronivo.ini"), "[MainWin]\nTop=8\nLeft=7\n");
    EXPECT_EQ(saver.Pending(ini, "MainWin", "Top"), std::nullopt);
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
