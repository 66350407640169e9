#include "app/settingkeys.h"

#include <charconv>

namespace settings_file {

int ToIntDef(const std::string& text, int fallback)
{
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    int value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc{} && end == last && first != last ? value : fallback;
}

FontStyle ParseFontStyle(const std::string& text)
{
    auto has = [&text](char letter) { return text.find(letter) != std::string::npos; };
    return FontStyle{has('B'), has('I'), has('U')};
}

std::string FontStyleText(FontStyle style)
{
    std::string text;
    if (style.bold)
        text += 'B';
    if (style.italic)
        text += 'I';
    if (style.underline)
        text += 'U';
    return text;
}

} // namespace settings_file
