#include "app/inifile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace inifile {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

enum class FileState { Absent, Read, Unreadable };

struct FileContents {
    FileState state = FileState::Absent;
    std::string bytes;
    mode_t mode = 0644;
};

FileContents Load(const std::string& path)
{
    FileContents contents;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        contents.state = errno == ENOENT ? FileState::Absent : FileState::Unreadable;
        return contents;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::size_t>(info.st_size) > kMaxIniFileBytes) {
        ::close(fd);
        contents.state = FileState::Unreadable;
        return contents;
    }
    contents.mode = info.st_mode & 07777;
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        const ssize_t got = ::read(fd, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 || contents.bytes.size() + static_cast<std::size_t>(got) > kMaxIniFileBytes) {
            ::close(fd);
            contents.state = FileState::Unreadable;
            contents.bytes.clear();
            return contents;
        }
        if (got == 0)
            break;
        contents.bytes.append(chunk.data(), static_cast<std::size_t>(got));
    }
    ::close(fd);
    contents.state = FileState::Read;
    return contents;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// One line of the file: where it starts and ends (without its line break) and where the next begins.
struct Line {
    std::size_t begin;
    std::size_t end;
    std::size_t next;
};

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;  // section or key name, trimmed
    std::string_view value; // key value, trimmed
};

ParsedLine Parse(std::string_view text)
{
    text = Trim(text);
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        return {LineKind::Section, Trim(text.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)),
                {}};
    }
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos)
        return {};
    return {LineKind::Key, Trim(text.substr(0, equals)), Trim(text.substr(equals + 1))};
}

// Where a key stands, or where it would go: the line of the key, or the end of the last non-blank
// line of its section, or neither.
struct Location {
    std::optional<Line> keyLine;
    std::optional<std::size_t> sectionEnd;
    std::string_view value;
};

Location Locate(std::string_view bytes, std::string_view section, std::string_view key)
{
    Location found;
    std::size_t pos = bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom ? kUtf8Bom.size() : 0;
    bool inSection = false;
    while (pos < bytes.size()) {
        const std::size_t newline = bytes.find('\n', pos);
        Line line{pos, newline == std::string_view::npos ? bytes.size() : newline,
                  newline == std::string_view::npos ? bytes.size() : newline + 1};
        std::string_view text = bytes.substr(line.begin, line.end - line.begin);
        if (!text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
            --line.end;
        }
        const ParsedLine parsed = Parse(text);
        if (parsed.kind == LineKind::Section) {
            // Keys missing from the first section of that name are added to it.
            if (inSection)
                return found;
            inSection = EqualsNoCase(parsed.name, section);
            if (inSection)
                found.sectionEnd = line.end;
        } else if (inSection) {
            if (parsed.kind == LineKind::Key && EqualsNoCase(parsed.name, key)) {
                found.keyLine = line;
                found.value = parsed.value;
                return found;
            }
            if (!Trim(text).empty())
                found.sectionEnd = line.end;
        }
        pos = line.next;
    }
    return found;
}

std::string_view LineBreakOf(std::string_view bytes)
{
    const std::size_t newline = bytes.find('\n');
    if (newline != std::string_view::npos && newline > 0 && bytes[newline - 1] == '\r')
        return "\r\n";
    return "\n";
}

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

// Replaces the file at path with bytes so that readers see the old file or the new one, never a mix.
bool ReplaceFile(const std::string& path, std::string_view bytes, mode_t mode)
{
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    const bool written = WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here no longer endangers either version.
    const int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

std::string OneLine(std::string_view value)
{
    std::string text(value);
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

} // namespace

std::optional<std::string> ReadValue(const std::string& path, std::string_view section, std::string_view key)
{
    const FileContents contents = Load(path);
    if (contents.state != FileState::Read)
        return std::nullopt;
    const Location found = Locate(contents.bytes, Trim(section), Trim(key));
    if (!found.keyLine)
        return std::nullopt;
    return std::string(found.value);
}

bool WriteValue(const std::string& path, std::string_view section, std::string_view key, std::string_view value)
{
    const FileContents contents = Load(path);
    if (contents.state == FileState::Unreadable)
        return false;
    const std::string_view old = contents.bytes;
    const std::string_view lineBreak = LineBreakOf(old);
    const std::string keyText = std::string(Trim(key)) + '=' + OneLine(Trim(value));
    const Location found = Locate(old, Trim(section), Trim(key));

    std::string updated;
    updated.reserve(old.size() + keyText.size() + section.size() + 8);
    if (found.keyLine) {
        // Keep the key as the file spells it; only the value changes.
        const std::string_view line = old.substr(found.keyLine->begin, found.keyLine->end - found.keyLine->begin);
        const std::size_t equals = line.find('=');
        updated.append(old.substr(0, found.keyLine->begin + equals + 1));
        updated.append(OneLine(Trim(value)));
        updated.append(old.substr(found.keyLine->end));
    } else if (found.sectionEnd) {
        updated.append(old.substr(0, *found.sectionEnd));
        updated.append(lineBreak);
        updated.append(keyText);
        if (*found.sectionEnd == old.size())
            updated.append(lineBreak);
        updated.append(old.substr(*found.sectionEnd));
    } else {
        updated.append(old);
        if (!old.empty() && old.back() != '\n')
            updated.append(lineBreak);
        updated.append("[").append(Trim(section)).append("]").append(lineBreak);
        updated.append(keyText).append(lineBreak);
    }
    return ReplaceFile(path, updated, contents.mode);
}

} // namespace inifile
