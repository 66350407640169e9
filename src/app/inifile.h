// The profile ("INI") file engine behind the settings file.
//
// Sections and keys are matched without regard to ASCII case and with surrounding blanks ignored;
// values are read with surrounding blanks removed. The file is read anew at every call: nothing is
// cached. A write replaces the value of an existing key in place, or adds the key (and its section),
// and leaves every other byte of the file as it was. One save is one transaction: its changes are
// read, made and saved together under one lock between processes, and saved as SaveSmallFile does
// (crash-safe where the folder allows it; links kept). A save that cannot be done is said once on
// stderr.
//
// Reading tolerates LF, CRLF or lone CR line ends, a UTF-8 byte-order mark and lines that are neither
// a section nor a key (they are ignored, and kept on rewrite). As the Windows profile functions do, it
// reads a value in matching quotes without them, ends a section name at the last ']' of its line, and
// takes a '[' line without one for no section; keys before the first section belong to none. A file
// larger than kMaxIniFileBytes is not one of ours: it reads as absent and is never rewritten (said once
// on stderr).
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace inifile {

constexpr std::size_t kMaxIniFileBytes = 4 * 1024 * 1024;

// The value of key in section of the file at path; nullopt when the file, section or key is absent
// or the file cannot be read.
std::optional<std::string> ReadValue(const std::string& path, std::string_view section, std::string_view key);

// Whether two section or key names are the same name to the reader.
bool SameName(std::string_view a, std::string_view b);

// One key to store: value under key in section.
struct Change {
    std::string section;
    std::string key;
    std::string value;
};
using Changes = std::vector<Change>;

// How often a save whose lock another holder has tries again.
constexpr std::chrono::milliseconds kLockRetry{20};

enum class WriteOutcome { Saved, Busy, Failed };

// The bytes of a file old with one change made: the key's value replaced, or the key (and its
// section) added. Line breaks in the value become blanks, so a value can never add lines of its own.
std::string WithChange(std::string_view old, const Change& change);

// What ReadValue gives for a key after value was stored under it.
std::string ValueAsRead(std::string_view value);

// One try at storing every change in order, creating the file, sections and keys as needed, as one
// transaction. Busy, with nothing done, when another writer holds the lock; Failed, with the file as
// it was, when the file cannot be read whole or the new one cannot be written. Never waits.
WriteOutcome TryWriteValues(const std::string& path, const Changes& changes);

// TryWriteValues, tried again every kLockRetry until the lock is had: for callers that may wait as
// long as another holder keeps it. True when saved.
bool WriteValues(const std::string& path, const Changes& changes);

} // namespace inifile
