// Platform service: reading a small file whole, saving a small file the way a careful editor does,
// and asking whether a file is there. The settings file is kept this way. Paths are UTF-8 on every
// platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class FileReadState { Absent, Read, Unreadable, TooLarge };

struct FileRead {
    FileReadState state = FileReadState::Absent;
    std::string bytes; // the whole file when state is Read
};

// The file at path, read whole. Absent when it does not exist or is not a regular file (a FIFO or a
// device is never opened in a way that could block); Unreadable when it exists but cannot be read;
// TooLarge when it is larger than maxBytes.
FileRead ReadSmallFile(const std::string& path, std::size_t maxBytes);

// Saves bytes as the contents of the file at path, creating it when absent. A link is followed to
// the file it names; the file keeps its owner, group and permission bits, except set-user-ID,
// set-group-ID and sticky, which are never kept. Where the folder allows it and nothing would be
// lost by it (no hard link broken, no owner or group changed), a temporary file beside it is flushed
// and renamed over it, so a crash leaves the old file or the new one; otherwise the file is
// rewritten in place and flushed. A file the user may not write, a file that is not a regular file
// and, in a privileged process, a file or link owned by another user are never written. False, with
// the old file untouched and a one-line reason in problem, when the save is refused or fails.
bool SaveSmallFile(const std::string& path, std::string_view bytes, std::string& problem);

// An advisory lock between processes on the file at path, held while the object lives: it lives in
// a file named path + ".lock" beside it (created when absent). Waits at most about five seconds for
// another holder; a lock that cannot be had leaves held() false and nothing else changes.
class FileLock {
public:
    explicit FileLock(const std::string& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool held() const { return m_handle >= 0; }

private:
    long long m_handle = -1;
};

// Removes the temporaries a save of path left behind when it was interrupted, if they are older than
// a minute. Called with the lock held, so no save of this file is under way.
void RemoveStaleTemporaries(const std::string& path);

// True when anything (file or folder) is at path.
bool PathExists(const std::string& path);

// The size in bytes of the regular file at path; nullopt when there is none or it cannot be asked.
std::optional<std::uint64_t> RegularFileSize(const std::string& path);
