#include "components/Stringhl.h"

#include <gtest/gtest.h>

namespace {

TEST(SplitLines, EndsLinesAtLfCrLfAndCr)
{
    const std::vector<std::pair<std::string, TStrings>> cases = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\nb", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\n\r\nb", {"a", "", "b"}},
        {"\n", {""}},
    };
    for (const auto& [text, lines] : cases) {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_EQ(SplitLines(text), lines);
    }
}

TEST(TStringHolder, KeepsItsOwnCopy)
{
    TStrings lines = {"one", "two"};
    TStringHolder holder;
    holder.SetStrings(lines);
    lines.push_back("three");
    EXPECT_EQ(holder.Strings(), (TStrings{"one", "two"}));
}

} // namespace
