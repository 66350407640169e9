#include "platform/filestore.h"

#include "platform/savetemporary.h"

#include <cerrno>
#include <algorithm>
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

constexpr int kMaxLinkHops = 40;
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

// Links another user could have placed: a privileged process follows only its own and root's.
bool TrustedLink(const struct stat& link)
{
    return link.st_uid == ::geteuid() || link.st_uid == 0;
}

// The absolute path with every link in it resolved, walked one name at a time so that a privileged
// process can refuse a link another user owns anywhere on the way, not only at the end. Names that do
// not exist yet are kept as they are. Empty, with problem set, when refused.
std::string ResolveLinks(const std::string& path, bool privileged, std::string& problem)
{
    std::string pending = path;
    if (pending.empty() || pending.front() != '/') {
        std::vector<char> cwd(static_cast<std::size_t>(PATH_MAX) + 1);
        if (::getcwd(cwd.data(), cwd.size()) == nullptr) {
            problem = path + ": " + std::strerror(errno);
            return {};
        }
        pending = std::string(cwd.data()) + "/" + pending;
    }
    std::string resolved; // holds no link; empty stands for "/"
    int hops = 0;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t start = pending.find_first_not_of('/', pos);
        if (start == std::string::npos)
            break;
        const std::size_t end = std::min(pending.find('/', start), pending.size());
        const std::string name = pending.substr(start, end - start);
        pos = end;
        if (name == ".")
            continue;
        if (name == "..") {
            resolved.resize(resolved.rfind('/') == std::string::npos ? 0 : resolved.rfind('/'));
            continue;
        }
        const std::string candidate = resolved + "/" + name;
        struct stat info {};
        if (::lstat(candidate.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            resolved = candidate;
            continue;
        }
        if (privileged && !TrustedLink(info)) {
            problem = candidate + " is a link owned by another user";
            return {};
        }
        std::vector<char> target(static_cast<std::size_t>(PATH_MAX) + 1);
        const ssize_t length = ::readlink(candidate.c_str(), target.data(), target.size() - 1);
        if (length <= 0 || ++hops > kMaxLinkHops) {
            problem = candidate + ": " + (length <= 0 ? std::strerror(errno) : "too many levels of links");
            return {};
        }
        // The link's text takes its place; an absolute one starts again from the root.
        pending = std::string(target.data(), static_cast<std::size_t>(length)) + pending.substr(pos);
        pos = 0;
        if (pending.front() == '/')
            resolved.clear();
    }
    return resolved.empty() ? "/" : resolved;
}

// Whether this process may leave new files in folder: a privileged one only in its own folders, so
// that nothing it makes there stands in the way of the folder's owner.
bool MayCreateIn(const std::string& folder, bool privileged)
{
    struct stat info {};
    return !privileged || (::stat(folder.c_str(), &info) == 0 && info.st_uid == ::geteuid());
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

// Permission bits for a file whose group had to change: the new group gets no more than others
// have, so that nobody gains access through it.
mode_t WithGroupNarrowed(mode_t mode)
{
    return (mode & ~static_cast<mode_t>(070)) | (mode & 070 & ((mode & 07) << 3));
}

// Writes a new file beside target and renames it over target, keeping old's group where the process
// may give it (see SaveSmallFile for where it cannot). False when the folder does not allow it;
// target is then untouched.
bool ReplaceByRename(const std::string& target, std::string_view bytes, const struct stat* old)
{
    std::string temp = TemporaryPattern(target);
    Fd fd(::mkstemps(temp.data(), static_cast<int>(save_temporary::kSuffix.size())));
    if (fd.get() < 0)
        return false;
    mode_t mode = old == nullptr ? 0644 : old->st_mode & 0777;
    if (old != nullptr && ::fchown(fd.get(), static_cast<uid_t>(-1), old->st_gid) != 0)
        mode = WithGroupNarrowed(mode);
    const bool written = WriteAll(fd.get(), bytes) && ::fchmod(fd.get(), mode) == 0 && ::fsync(fd.get()) == 0;
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
    // The size is checked again while reading: the file may grow after fstat. The buffer fits the file
    // (files of /proc tell no size): a settings read is one of many at a start, each clearing it.
    const std::size_t told = static_cast<std::size_t>(info.st_size) + 1;
    std::vector<char> chunk(std::clamp<std::size_t>(told, 4 * 1024, 64 * 1024));
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
    const std::string target = ResolveLinks(path, privileged, problem);
    if (target.empty())
        return false;
    const bool mayCreate = MayCreateIn(FolderOf(target), privileged);

    Fd fd(::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0 && errno == ENOENT) {
        if (!mayCreate) {
            problem = target + ": a privileged process creates no file in a folder another user owns";
            return false;
        }
        if (ReplaceByRename(target, bytes, nullptr))
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
    // A rename would break a hard link; where no temporary can be made, the file is rewritten in place.
    if (old.st_nlink == 1 && mayCreate && ReplaceByRename(target, bytes, &old))
        return true;
    if (RewriteInPlace(fd.get(), bytes, old.st_mode & 0777))
        return true;
    problem = target + ": " + std::strerror(errno);
    return false;
}

FileLock::FileLock(const std::string& path)
{
    // Our writers exclude each other through the folder, which no save replaces and nothing placed
    // at the lock file's name can stand in for. A folder that takes no lock (some network file
    // systems) leaves the lock file alone to do it.
    Fd folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0 && ::flock(folder.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) {
            m_state = LockState::Busy;
            return;
        }
        folder.reset(-1);
    }
    // Other programs, and our older versions, lock the lock file; a privileged process neither
    // creates it in another user's folder nor opens one that another user could have put there.
    const bool privileged = Privileged();
    const int create = MayCreateIn(FolderOf(path), privileged) ? O_CREAT : 0;
    Fd file(::open((path + ".lock").c_str(), O_RDONLY | create | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0644));
    struct stat info {};
    if (file.get() >= 0 &&
        (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || (privileged && info.st_uid != ::geteuid())))
        file.reset(-1);
    if (file.get() >= 0 && ::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) {
            m_state = LockState::Busy;
            return;
        }
        file.reset(-1);
    }
    if (folder.get() < 0 && file.get() < 0)
        return;
    m_state = LockState::Held;
    m_folderHandle = folder.release();
    m_fileHandle = file.release();
}

FileLock::~FileLock()
{
    for (const long long handle : {m_fileHandle, m_folderHandle})
        if (handle >= 0)
            ::close(static_cast<int>(handle));
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
