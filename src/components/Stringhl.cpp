#include "components/Stringhl.h"

void TStringHolder::SetStrings(const TStrings& strings)
{
    if (strings == m_strings)
        return;
    m_strings = strings;
}

TStrings SplitLines(std::string_view text)
{
    TStrings lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
        // A CR LF pair is one line end, written by the other platform's editors.
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return lines;
}
