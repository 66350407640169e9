#include "app/inifile.h"

#include "base/text.h"
#include "platform/filestore.h"

#include <atomic>
#include <cstdio>
#include <thread>

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
// line of its section (after its line break), or neither.
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
                found.sectionEnd = line.next;
        } else if (inSection) {
            if (parsed.kind == LineKind::Key && EqualsNoCase(parsed.name, key)) {
                found.keyLine = line;
                found.value = parsed.value;
                return found;
            }
            if (!Trim(text).empty())
                found.sectionEnd = line.next;
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

// A value the reading would take out of its quotes is written inside one more pair, so that it reads
// back as written (by the profile functions too).
std::string ReadableAsWritten(std::string value)
{
    if (Unquoted(value).size() != value.size())
        return '"' + value + '"';
    return value;
}

// What completes the last line of bytes before more lines follow. A lone CR at the end already ends
// the line; in a file whose lines end in LF or CRLF it gets its LF, so the file keeps one style.
std::string_view MissingLineEnd(std::string_view bytes, std::string_view lineBreak)
{
    if (bytes.empty() || bytes.back() == '\n')
        return {};
    if (bytes.back() == '\r')
        return lineBreak == "\r" ? std::string_view() : std::string_view("\n");
    return lineBreak;
}

std::string OneLine(std::string_view value)
{
    std::string text(value);
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

// Each kind of trouble with the settings file is told once per run: a save is tried at every change
// and a full disk would otherwise fill the terminal.
void ReportOnce(std::atomic<bool>& told, const std::string& message)
{
    if (!told.exchange(true))
        std::fprintf(stderr, "chronivo: settings not saved: %s\n", message.c_str());
}

std::atomic<bool> g_toldTooLarge{false};
std::atomic<bool> g_toldUnsaved{false};

void ReportTooLarge(const std::string& path)
{
    ReportOnce(g_toldTooLarge, path + " is larger than " + std::to_string(kMaxIniFileBytes / (1024 * 1024)) +
                                   " MiB; it is ignored and left as it is");
}

} // namespace

bool SameName(std::string_view a, std::string_view b)
{
    return EqualsNoCase(Trim(a), Trim(b));
}

std::optional<std::string> ReadValue(const std::string& path, std::string_view section, std::string_view key)
{
    const FileRead contents = ReadSmallFile(path, kMaxIniFileBytes);
    if (contents.state == FileReadState::TooLarge)
        ReportTooLarge(path);
    if (contents.state != FileReadState::Read)
        return std::nullopt;
    const Location found = Locate(contents.bytes, Trim(section), Trim(key));
    if (!found.keyLine)
        return std::nullopt;
    return std::string(Unquoted(found.value));
}

std::string ValueAsRead(std::string_view value)
{
    return std::string(Trim(OneLine(value)));
}

std::string WithChange(std::string_view old, const Change& change)
{
    const std::string_view section = Trim(change.section);
    const std::string_view key = Trim(change.key);
    const std::string_view lineBreak = LineBreakOf(old);
    const std::string written = ReadableAsWritten(ValueAsRead(change.value));
    const std::string keyText = std::string(key) + '=' + written;
    const Location found = Locate(old, section, key);

    std::string updated;
    updated.reserve(old.size() + keyText.size() + section.size() + 8);
    if (found.keyLine) {
        // Keep the key as the file spells it; only the value changes.
        const std::string_view line = old.substr(found.keyLine->begin, found.keyLine->end - found.keyLine->begin);
        const std::size_t equals = line.find('=');
        updated.append(old.substr(0, found.keyLine->begin + equals + 1));
        updated.append(written);
        updated.append(old.substr(found.keyLine->end));
    } else if (found.sectionEnd) {
        const std::string_view head = old.substr(0, *found.sectionEnd);
        updated.append(head).append(MissingLineEnd(head, lineBreak));
        updated.append(keyText).append(lineBreak);
        updated.append(old.substr(*found.sectionEnd));
    } else {
        updated.append(old).append(MissingLineEnd(old, lineBreak));
        updated.append("[").append(section).append("]").append(lineBreak);
        updated.append(keyText).append(lineBreak);
    }
    return updated;
}

WriteOutcome TryWriteValues(const std::string& path, const Changes& changes)
{
    // Another instance may be saving the same file: the read, the changes and the write go together.
    const FileLock lock(path);
    if (lock.state() == LockState::Busy)
        return WriteOutcome::Busy;
    // Where no lock can be had at all, saving unlocked risks a key only if another writer runs at
    // that moment; not saving would lose every key for certain.
    if (lock.state() == LockState::Held)
        RemoveStaleTemporaries(path);
    // A file that exists but cannot be read whole is not replaced: its settings would be lost.
    const FileRead contents = ReadSmallFile(path, kMaxIniFileBytes);
    if (contents.state == FileReadState::TooLarge) {
        ReportTooLarge(path);
        return WriteOutcome::Failed;
    }
    if (contents.state == FileReadState::Unreadable) {
        ReportOnce(g_toldUnsaved, path + " cannot be read, so it is not replaced");
        return WriteOutcome::Failed;
    }
    std::string updated = contents.bytes;
    for (const Change& change : changes)
        updated = WithChange(updated, change);
    std::string problem;
    if (SaveSmallFile(path, updated, problem))
        return WriteOutcome::Saved;
    ReportOnce(g_toldUnsaved, problem);
    return WriteOutcome::Failed;
}

bool WriteValues(const std::string& path, const Changes& changes)
{
    WriteOutcome outcome;
    while ((outcome = TryWriteValues(path, changes)) == WriteOutcome::Busy)
        std::this_thread::sleep_for(kLockRetry);
    return outcome == WriteOutcome::Saved;
}

} // namespace inifile
