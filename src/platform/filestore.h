// Platform service: reading a small file whole, and replacing a file so that a crash at any moment
// leaves either the old file or the new one, never a mix. The settings file is kept this way. Paths
// are UTF-8 on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class FileReadState { Absent, Read, Unreadable };

struct FileRead {
    FileReadState state = FileReadState::Absent;
    std::string bytes; // the whole file when state is Read
};

// The file at path, read whole. Unreadable when it exists but cannot be read, is not a regular file
// or is larger than maxBytes.
FileRead ReadSmallFile(const std::string& path, std::size_t maxBytes);

// Replaces (or creates) the file at path with bytes: writes a temporary file beside it, flushes it
// to the disk and renames it over the old one, keeping the old file's permissions. False, with the
// old file untouched and no temporary file left, when any step fails.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes);

// True when anything (file or folder) is at path.
bool PathExists(const std::string& path);

// The size in bytes of the regular file at path; nullopt when there is none or it cannot be asked.
std::optional<std::uint64_t> RegularFileSize(const std::string& path);
