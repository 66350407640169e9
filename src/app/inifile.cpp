#include "app/inifile.h"

#include "base/text.h"
#include "platform/filestore.h"

namespace inifile {
namespace {

std::string_view Trim(std::string_view text)
{
    return ::Trim(text, IsBlankOrTab);
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

// Lines read as the Windows profile functions read them, which files written for those may rely on:
// a section name ends at the last ']' of its line, and a '[' line without one is no section (its keys
// stay in the section before it).
ParsedLine Parse(std::string_view text)
{
    text = Trim(text);
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.rfind(']');
        if (close != std::string_view::npos)
            return {LineKind::Section, Trim(text.substr(1, close - 1)), {}};
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
    std::size_t pos = ByteOrderMarkLength(bytes);
    bool inSection = false;
    while (pos < bytes.size()) {
        // A line ends at LF, CRLF or a lone CR.
        const std::size_t lineBreak = bytes.find_first_of("\r\n", pos);
        Line line{pos, lineBreak == std::string_view::npos ? bytes.size() : lineBreak, bytes.size()};
        if (lineBreak != std::string_view::npos)
            line.next = lineBreak + (bytes.compare(lineBreak, 2, "\r\n") == 0 ? 2 : 1);
        const std::string_view text = bytes.substr(line.begin, line.end - line.begin);
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
    const std::size_t lineBreak = bytes.find_first_of("\r\n");
    if (lineBreak == std::string_view::npos || bytes[lineBreak] == '\n')
        return "\n";
    return bytes.compare(lineBreak, 2, "\r\n") == 0 ? "\r\n" : "\r";
}

// A value in matching single or double quotes is read without them, as the profile functions do.
std::string_view Unquoted(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
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
    const FileRead contents = ReadSmallFile(path, kMaxIniFileBytes);
    if (contents.state != FileReadState::Read)
        return std::nullopt;
    const Location found = Locate(contents.bytes, Trim(section), Trim(key));
    if (!found.keyLine)
        return std::nullopt;
    return std::string(Unquoted(found.value));
}

bool WriteValue(const std::string& path, std::string_view section, std::string_view key, std::string_view value)
{
    // A file that exists but cannot be read whole is not replaced: its settings would be lost.
    const FileRead contents = ReadSmallFile(path, kMaxIniFileBytes);
    if (contents.state == FileReadState::Unreadable)
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
        if (!old.empty() && old.back() != '\n' && old.back() != '\r')
            updated.append(lineBreak);
        updated.append("[").append(Trim(section)).append("]").append(lineBreak);
        updated.append(keyText).append(lineBreak);
    }
    return ReplaceFileAtomically(path, updated);
}

} // namespace inifile
