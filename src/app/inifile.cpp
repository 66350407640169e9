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
    std::size_t pos = ByteOrderMarkLength(bytes);
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
    return std::string(found.value);
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
        if (!old.empty() && old.back() != '\n')
            updated.append(lineBreak);
        updated.append("[").append(Trim(section)).append("]").append(lineBreak);
        updated.append(keyText).append(lineBreak);
    }
    return ReplaceFileAtomically(path, updated);
}

} // namespace inifile
