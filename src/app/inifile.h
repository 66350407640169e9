// The profile ("INI") file engine behind the settings file.
//
// Sections and keys are matched without regard to ASCII case and with surrounding blanks ignored;
// values are read with surrounding blanks removed. The file is read anew at every call: nothing is
// cached. A write replaces the value of an existing key in place, or adds the key (and its section),
// and leaves every other byte of the file as it was. A write holds a lock between processes for
// its read, change and save, and saves as SaveSmallFile does (crash-safe where the folder allows it;
// links, owner and permissions kept). A save that cannot be done is said once on stderr.
//
// Reading tolerates LF, CRLF or lone CR line ends, a UTF-8 byte-order mark and lines that are neither
// a section nor a key (they are ignored, and kept on rewrite). As the Windows profile functions do, it
// reads a value in matching quotes without them, ends a section name at the last ']' of its line, and
// takes a '[' line without one for no section; keys before the first section belong to none. A file
// larger than kMaxIniFileBytes is not one of ours: it reads as absent and is never rewritten (said once
// on stderr).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace inifile {

constexpr std::size_t kMaxIniFileBytes = 4 * 1024 * 1024;

// The value of key in section of the file at path; nullopt when the file, section or key is absent
// or the file cannot be read.
std::optional<std::string> ReadValue(const std::string& path, std::string_view section, std::string_view key);

// Stores value under key in section, creating the file, section or key as needed. Line breaks in
// value become blanks, so a value can never add lines of its own. False, with the file as it was,
// when the file cannot be read whole or the new one cannot be written.
bool WriteValue(const std::string& path, std::string_view section, std::string_view key, std::string_view value);

} // namespace inifile
