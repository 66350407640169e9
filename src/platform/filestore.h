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
// set-group-ID and sticky, which are never kept. Where the folder allows it, a temporary file beside
// it is flushed and renamed over it, so a crash leaves the old file or the new one; that gives the
// file to the saving user when another owned it, and where its group cannot be kept, the saving
// user's group, whose permission bits are then no wider than those of others. A file with several
// hard links, or in a folder the user may not write, is rewritten in place and flushed instead. A
// file the user may not write and a file that is not a regular file are never written. A privileged
// process writes only its own files, follows no link that another user owns anywhere in the path,
// and creates nothing in a folder another user owns. False, with the old file untouched and a
// one-line reason in problem, when the save is refused or fails.
bool SaveSmallFile(const std::string& path, std::string_view bytes, std::string& problem);

enum class LockState {
    Held,       // this object holds the lock
    Busy,       // another holder has it; nothing is held, try again later
    Unavailable // no lock can be taken here (see the platform's note); nothing is held
};

// An advisory lock between processes on the file at path, held while the object lives. It is tried
// once and never waited for: a holder that must wait tries again. Whatever sits at path + ".lock"
// (a link, a FIFO, a folder, another user's file), writers of path exclude each other: on POSIX the
// lock is the folder's, plus path + ".lock" when that is a regular file the lock can be taken on
// (other programs lock that name); the lock file is created only where the process may leave it.
class FileLock {
public:
    explicit FileLock(const std::string& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    LockState state() const { return m_state; }

private:
    LockState m_state = LockState::Unavailable;
    long long m_folderHandle = -1;
    long long m_fileHandle = -1;
};

// Removes the temporaries a save of path left behind when it was interrupted, if they are older than
// a minute. Called with the lock held, so no save of this file is under way.
void RemoveStaleTemporaries(const std::string& path);

// True when anything (file or folder) is at path.
bool PathExists(const std::string& path);

// The size in bytes of the regular file at path; nullopt when there is none or it cannot be asked.
std::optional<std::uint64_t> RegularFileSize(const std::string& path);
