// Small text helpers the file readers share: trimming and the UTF-8 byte-order mark.
#pragma once

#include <cstddef>
#include <string_view>

// Blanks and tabs: what pads a settings file's names and values.
constexpr bool IsBlankOrTab(char c)
{
    return c == ' ' || c == '\t';
}

// Blanks and control characters (tabs, a stray CR): what pads a city table's columns.
constexpr bool IsBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

// text without the leading and trailing characters for which isPadding holds.
template <class IsPadding> constexpr std::string_view Trim(std::string_view text, IsPadding isPadding)
{
    while (!text.empty() && isPadding(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isPadding(text.back()))
        text.remove_suffix(1);
    return text;
}

// 3 when bytes start with the UTF-8 byte-order mark, else 0.
constexpr std::size_t ByteOrderMarkLength(std::string_view bytes)
{
    return bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
}
