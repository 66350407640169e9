#include "platform/filestore.h"

#include "platform/savetemporary.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kMaxLinkHops = 16;
constexpr int kLockWaitMs = 5000;
constexpr int kLockPollMs = 10;
constexpr time_t kStaleTemporarySeconds = 60;

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Effective capabilities beyond what the real user has: set-ID, or any capability at all. Such a
// process writes only files it owns, so that nobody can borrow its rights through a settings file.
bool Privileged()
{
    if (::geteuid() == 0 || ::geteuid() != ::getuid() || ::getegid() != ::getgid())
        return true;
    const FileRead status = ReadSmallFile("/proc/self/status", 64 * 1024);
    const std::size_t at = status.bytes.find("\nCapEff:");
    if (at == std::string::npos)
        return false;
    for (std::size_t i = at + 8; i < status.bytes.size() && status.bytes[i] != '\n'; ++i)
        if (status.bytes[i] != '0' && status.bytes[i] != ' ' && status.bytes[i] != '\t')
            return true;
    return false;
}

class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    void reset(int fd)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

// The name a chain of links at path ends on (path itself when it is no link). Links owned by another
// user are not followed by a privileged process. Empty, with problem set, when refused.
std::string FollowLinks(std::string path, bool privileged, std::string& problem)
{
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        if (privileged && info.st_uid != ::geteuid()) {
            problem = path + " is a link owned by another user";
            return {};
        }
        std::vector<char> target(static_cast<std::size_t>(PATH_MAX) + 1);
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size() - 1);
        if (length <= 0) {
            problem = path + ": " + std::strerror(errno);
            return {};
        }
        std::string next(target.data(), static_cast<std::size_t>(length));
        path = next.front() == '/' ? next : FolderOf(path) + "/" + next;
    }
    problem = path + ": too many levels of links";
    return {};
}

// The temporary's name pattern for mkstemps: beside the file, recognisable as ours.
std::string TemporaryPattern(const std::string& path)
{
    return path + "." + std::string(save_temporary::kRandomChars, 'X') + std::string(save_temporary::kSuffix);
}

void SyncFolder(const std::string& path)
{
    const int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

// Writes a new file beside target and renames it over target. False when the folder does not allow
// it or the old owner, group or mode cannot be given to the new file; target is then untouched.
bool ReplaceByRename(const std::string& target, std::string_view bytes, const struct stat* old, mode_t mode)
{
    std::string temp = TemporaryPattern(target);
    Fd fd(::mkstemps(temp.data(), static_cast<int>(save_temporary::kSuffix.size())));
    if (fd.get() < 0)
        return false;
    const bool kept = old == nullptr || ::fchown(fd.get(), old->st_uid, old->st_gid) == 0;
    const bool written = kept && WriteAll(fd.get(), bytes) && ::fchmod(fd.get(), mode) == 0 && ::fsync(fd.get()) == 0;
    const bool closed = ::close(fd.release()) == 0;
    if (!written || !closed || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here no longer endangers either version.
    SyncFolder(target);
    return true;
}

bool RewriteInPlace(int fd, std::string_view bytes, mode_t mode)
{
    if (::lseek(fd, 0, SEEK_SET) != 0 || !WriteAll(fd, bytes) || ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && (info.st_mode & 07777) != mode)
        ::fchmod(fd, mode);
    return ::fsync(fd) == 0;
}

} // namespace

FileRead ReadSmallFile(const std::string& path, std::size_t maxBytes)
{
    FileRead result;
    // Non-blocking, so that a FIFO without a writer cannot hold the caller; only regular files are read.
    Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        result.state = errno == ENOENT || errno == ENXIO ? FileReadState::Absent : FileReadState::Unreadable;
        return result;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        result.state = FileReadState::Unreadable;
        return result;
    }
    if (!S_ISREG(info.st_mode))
        return result;
    result.state = FileReadState::TooLarge;
    if (static_cast<std::size_t>(info.st_size) > maxBytes)
        return result;
    // The size is checked again while reading: the file may grow after fstat.
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        const ssize_t got = ::read(fd.get(), chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            result.state = FileReadState::Unreadable;
            result.bytes.clear();
            return result;
        }
        if (result.bytes.size() + static_cast<std::size_t>(got) > maxBytes) {
            result.bytes.clear();
            return result;
        }
        if (got == 0)
            break;
        result.bytes.append(chunk.data(), static_cast<std::size_t>(got));
    }
    result.state = FileReadState::Read;
    return result;
}

bool SaveSmallFile(const std::string& path, std::string_view bytes, std::string& problem)
{
    const bool privileged = Privileged();
    const std::string target = FollowLinks(path, privileged, problem);
    if (target.empty())
        return false;

    Fd fd(::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0 && errno == ENOENT) {
        if (ReplaceByRename(target, bytes, nullptr, 0644))
            return true;
        problem = target + ": cannot create the file (" + std::strerror(errno) + ")";
        return false;
    }
    if (fd.get() < 0) {
        problem = target + ": " + std::strerror(errno);
        return false;
    }
    struct stat old {};
    if (::fstat(fd.get(), &old) != 0 || !S_ISREG(old.st_mode)) {
        problem = target + " is not a regular file";
        return false;
    }
    if (privileged && old.st_uid != ::geteuid()) {
        problem = target + " is owned by another user";
        return false;
    }
    const mode_t mode = old.st_mode & 0777;
    // A rename would break a hard link, and only a privileged process could give the file back to
    // another owner; such files, and those in a folder we may not write, are rewritten in place.
    if (old.st_nlink == 1 && old.st_uid == ::geteuid() && ReplaceByRename(target, bytes, &old, mode))
        return true;
    if (RewriteInPlace(fd.get(), bytes, mode))
        return true;
    problem = target + ": " + std::strerror(errno);
    return false;
}

FileLock::FileLock(const std::string& path)
{
    const std::string name = path + ".lock";
    Fd fd(::open(name.c_str(), O_RDONLY | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0644));
    // Where no lock file can be made (a folder we may not write), the file itself carries the lock.
    if (fd.get() < 0)
        fd.reset(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0)
        return;
    // A privileged process takes no lock on what another user could have put there.
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || (info.st_uid != ::geteuid() && Privileged()))
        return;
    for (int waited = 0; waited < kLockWaitMs; waited += kLockPollMs) {
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
            m_handle = fd.release();
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR)
            return;
        ::usleep(kLockPollMs * 1000);
    }
}

FileLock::~FileLock()
{
    if (m_handle >= 0)
        ::close(static_cast<int>(m_handle));
}

void RemoveStaleTemporaries(const std::string& path)
{
    const std::string folder = FolderOf(path);
    const std::string name = NameOf(path);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    const time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        if (!save_temporary::IsOurs(entry->d_name, name))
            continue;
        struct stat info {};
        if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == ::geteuid() && now - info.st_mtime >= kStaleTemporarySeconds)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

bool PathExists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

std::optional<std::uint64_t> RegularFileSize(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}
