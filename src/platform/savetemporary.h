// The names of the temporary files a save of the settings file writes beside it, shared by the file
// stores of every platform: path + ".XXXXXX.tmp", six letters or digits, so that one left behind by a
// kill is known as ours and no two saves share one.
#pragma once

#include <cstddef>
#include <string_view>

namespace save_temporary {

inline constexpr std::string_view kSuffix = ".tmp";
inline constexpr std::size_t kRandomChars = 6; // the XXXXXX of mkstemps

// True when candidate is the name of a temporary of a save of the file named name (both without folder).
inline bool IsOurs(std::string_view candidate, std::string_view name)
{
    if (candidate.size() != name.size() + 1 + kRandomChars + kSuffix.size() ||
        candidate.substr(0, name.size()) != name || candidate[name.size()] != '.' ||
        candidate.substr(candidate.size() - kSuffix.size()) != kSuffix)
        return false;
    for (std::size_t i = name.size() + 1; i < name.size() + 1 + kRandomChars; ++i) {
        const char c = candidate[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

} // namespace save_temporary
