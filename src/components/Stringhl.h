// TStringHolder: a non-visual component whose only content is one list of text lines, Strings. The
// main window keeps its city table in one. Setting Strings copies the given lines in (the holder
// never shares a list with its caller); the holder owns its list for its whole life.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

using TStrings = std::vector<std::string>;

class TStringHolder {
public:
    TStringHolder() = default;
    explicit TStringHolder(TStrings strings) : m_strings(std::move(strings)) {}

    const TStrings& Strings() const { return m_strings; }
    // Replaces the held lines by a copy of strings; does nothing when they are already equal.
    void SetStrings(const TStrings& strings);

private:
    TStrings m_strings;
};

// The lines of text as a string list reads a file: LF, CRLF and CR each end a line, and a line end
// at the very end of the text adds no empty line.
TStrings SplitLines(std::string_view text);
