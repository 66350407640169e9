// The name of a TEST_P case from its table row's description: "Shift and left" → "Shift_and_left",
// as GoogleTest allows only letters, digits and underscores in test names.
#pragma once

#include <string>

inline std::string CaseName(const char* description)
{
    std::string name;
    for (const char* c = description; *c; ++c) {
        const bool plain = (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9');
        name += plain ? *c : '_';
    }
    return name;
}

inline std::string CaseName(const std::string& description)
{
    return CaseName(description.c_str());
}

// The name generator for INSTANTIATE_TEST_SUITE_P over rows that carry their description as name.
struct NameOfCase {
    template <class ParamInfo>
    std::string operator()(const ParamInfo& info) const
    {
        return CaseName(info.param.name);
    }
};
