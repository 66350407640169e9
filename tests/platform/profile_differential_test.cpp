// The settings-file engine against the Windows profile functions (GetPrivateProfileStringA and
// WritePrivateProfileStringA) on the same files: hand-picked files of every odd kind, then generated
// ones. Reads must agree key for key; after the same write on two copies, every key must read alike.
// The few places where the engine reads differently on purpose are left out of the comparison and
// listed in the README.
#include "app/inifile.h"
#include "app/utils.h"
#include "base/text.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include <windows.h>

namespace {

struct Query {
    std::string section;
    std::string key;
};

constexpr int kBuffers[] = {16, 64};

std::string PlatformRead(const std::string& path, const Query& q, int buffer)
{
    std::string value(static_cast<std::size_t>(buffer), '\0');
    GetPrivateProfileStringA(q.section.c_str(), q.key.c_str(), "<default>", value.data(), static_cast<DWORD>(buffer),
                             path.c_str());
    return value.substr(0, value.find('\0'));
}

class ProfileDifferential : public ::testing::Test {
protected:
    TempDir dir;
    int files = 0;
    int comparisons = 0;

    // A file of its own for every case: the platform keeps files it has read in a cache.
    std::string NewFile(const std::string& bytes)
    {
        const std::string name = "case" + std::to_string(++files) + ".ini";
        dir.Write(name, bytes);
        return dir.File(name);
    }

    void ExpectSameReads(const std::string& path, const std::vector<Query>& queries, const std::string& what)
    {
        for (const Query& q : queries)
            for (const int buffer : kBuffers) {
                ++comparisons;
                EXPECT_EQ(ReadIniString(path, q.section, q.key, static_cast<std::size_t>(buffer), "<default>"),
                          PlatformRead(path, q, buffer))
                    << what << "\n[" << q.section << "] " << q.key << ", buffer " << buffer;
            }
    }

    // The same write through both, on two copies of a file; then every query must read alike on both,
    // and the platform must read the engine's copy as the engine does. A value in matching quotes is
    // the one write that differs on purpose: the engine keeps its quotes, the platform loses them.
    void ExpectSameWrite(const std::string& bytes, const Query& target, const std::string& value,
                         const std::vector<Query>& queries, const std::string& what)
    {
        const std::string ours = NewFile(bytes);
        const std::string theirs = NewFile(bytes);
        ASSERT_TRUE(WriteIniString(ours, target.section, target.key, value)) << what;
        ASSERT_TRUE(
            WritePrivateProfileStringA(target.section.c_str(), target.key.c_str(), value.c_str(), theirs.c_str()))
            << what;
        const std::string trimmed(Trim(value, IsBlankOrTab));
        const bool quoted = trimmed.size() >= 2 && (trimmed.front() == '"' || trimmed.front() == '\'') &&
                            trimmed.back() == trimmed.front();
        for (const Query& q : queries)
            for (const int buffer : kBuffers) {
                ++comparisons;
                const std::string read =
                    ReadIniString(ours, q.section, q.key, static_cast<std::size_t>(buffer), "<default>");
                const std::string where = what + ", after writing [" + target.section + "] " + target.key + "=" +
                                          value + "\n[" + q.section + "] " + q.key + ", buffer " +
                                          std::to_string(buffer);
                EXPECT_EQ(read, PlatformRead(ours, q, buffer)) << where;
                if (!quoted) {
                    EXPECT_EQ(read, PlatformRead(theirs, q, buffer)) << where;
                }
            }
    }
};

const std::vector<Query> kQueries = {
    {"MainWin", "Top"}, {"MainWin", "Left"},      {"mainwin", "TOP"},         {"Display", "Font face"},
    {"Clock", "Log"},   {"Clock", "Time server"}, {"World Cities", "City 1"}, {"Nowhere", "Top"},
};

TEST_F(ProfileDifferential, HandPickedFilesReadAlike)
{
    const std::string longValue(300, 'v');
    const std::pair<const char*, std::string> cases[] = {
        {"case of names", "[MAINWIN]\r\ntOP=1\r\n[clock]\r\nLOG=x\r\n"},
        {"blanks around names and values", "[MainWin]\r\n  Top  =  5  \r\n\tLeft\t=\t7\t\r\n"},
        {"duplicate keys: the first counts", "[MainWin]\r\nTop=1\r\nTop=2\r\n"},
        {"duplicate sections: the first counts", "[MainWin]\r\nTop=1\r\n[MainWin]\r\nTop=2\r\nLeft=3\r\n"},
        {"double quotes", "[Clock]\r\nLog=\"quoted value\"\r\nTime server=\"a\"b\"\r\n"},
        {"single quotes", "[Clock]\r\nLog='quoted'\r\nTime server='\r\n"},
        {"unbalanced quotes", "[Clock]\r\nLog=\"open\r\nTime server=close\"\r\n"},
        {"a lone quote and two", "[Clock]\r\nLog=\"\r\nTime server=\"\"\r\n"},
        {"empty values", "[MainWin]\r\nTop=\r\nLeft=   \r\n"},
        {"LF lines", "[MainWin]\nTop=1\nLeft=2\n[Clock]\nLog=l\n"},
        {"mixed LF and CRLF", "[MainWin]\nTop=1\r\nLeft=2\n"},
        {"no line break at the end", "[MainWin]\r\nTop=1"},
        {"keys before any section", "Top=9\r\nLeft=8\r\n[MainWin]\r\nLeft=1\r\n"},
        {"a header without its closing bracket", "[MainWin]\r\nTop=1\r\n[Clock\r\nLeft=2\r\nLog=3\r\n"},
        {"a broken header first", "[Clock\r\nLog=3\r\n[MainWin]\r\nTop=4\r\n"},
        {"text after the bracket", "[MainWin] ; window\r\nTop=1\r\n"},
        {"brackets in a header", "[Main]Win]\r\nTop=1\r\n[MainWin]\r\nTop=2\r\n"},
        {"an empty header", "[]\r\nTop=1\r\n[MainWin]\r\nLeft=2\r\n"},
        {"lines that are no keys", "[MainWin]\r\nTop\r\njust text\r\n; Left=1\r\nLeft=2\r\n"},
        {"equals signs in values", "[Clock]\r\nLog=a=b=c\r\n==\r\n"},
        {"a key without a name", "[MainWin]\r\n=5\r\nTop=6\r\n"},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF[MainWin]\r\nTop=1\r\n"},
        {"long values, cut to the buffer", "[Clock]\r\nLog=" + longValue + "\r\nTime server=" + longValue + "\r\n"},
        {"value exactly the buffer", "[MainWin]\r\nTop=123456789012345\r\nLeft=1234567890123456\r\n"},
        {"blank lines and tabs", "\r\n\r\n[MainWin]\r\n\r\n\tTop=1\r\n\r\n"},
        {"empty file", ""},
        {"lone CR and LF lines mixed", "[MainWin]\rTop=1\rLeft=2\n[Clock]\nLog=3\r\n"},
        {"CR lines", "[MainWin]\rTop=1\rLeft=2\r[Clock]\rLog=3\r"},
    };
    for (const auto& [what, bytes] : cases)
        ExpectSameReads(NewFile(bytes), kQueries, what);
}

TEST_F(ProfileDifferential, HandPickedWritesReadAlike)
{
    const std::string file = "Top=9\r\n[MainWin]\r\nTop=1\r\n\r\n[Clock\r\nLeft=2\r\n[Display]\r\nFont face=Arial\r\n";
    const std::pair<Query, std::string> writes[] = {
        {{"MainWin", "Top"}, "2"},
        {{"mainwin", "LEFT"}, "3"},
        {{"Clock", "Log"}, "new"},
        {{"Display", "Font face"}, ""},
        {{"New Section", "Key"}, "v"},
        {{"MainWin", "Top"}, "\"quoted\""},
        {{"World Cities", "City 1"}, "Zurich, Switzerland"},
    };
    const std::vector<Query> queries = {{"MainWin", "Top"},        {"MainWin", "Left"},    {"Clock", "Log"},
                                        {"Display", "Font face"},  {"New Section", "Key"}, {"Clock", "Left"},
                                        {"World Cities", "City 1"}};
    for (const auto& [target, value] : writes) {
        ExpectSameWrite(file, target, value, queries, "hand-picked file");
        ExpectSameWrite("", target, value, queries, "no file yet");
    }
}

// Files put together from random lines of the kinds above, with the line breaks the platform reads
// alike (LF and CRLF), and random writes to them.
TEST_F(ProfileDifferential, GeneratedFilesReadAndWriteAlike)
{
    std::mt19937 random(17);
    auto pick = [&](const std::vector<std::string>& from) { return from[random() % from.size()]; };
    const std::vector<std::string> sections = {"MainWin", "mainwin", "Clock", "Display", "World Cities", "Other"};
    const std::vector<std::string> keys = {"Top", "TOP", "Left", "Log", "Font face", "City 1", "x"};
    const std::vector<std::string> values = {
        "1",   "", "  spaced  ", "\"q\"", "'s'", "\"open", "a=b", "-12", "Zurich, Switzerland", std::string(40, 'w'),
        "\"\""};
    const std::vector<std::string> breaks = {"\r\n", "\n"};
    std::vector<Query> queries;
    for (const std::string& s : sections)
        for (const std::string& k : keys)
            queries.push_back({s, k});

    constexpr int kFiles = 60;
    for (int n = 0; n < kFiles; ++n) {
        std::string bytes = random() % 5 == 0 ? "\xEF\xBB\xBF" : "";
        const int lines = 1 + static_cast<int>(random() % 12);
        for (int i = 0; i < lines; ++i) {
            const std::string lineBreak = pick(breaks);
            switch (random() % 6) {
            case 0:
                bytes += "[" + pick(sections) + "]" + lineBreak;
                break;
            case 1:
                bytes += (random() % 2 ? "[" : "[ ") + pick(sections) + lineBreak; // no closing bracket
                break;
            case 2:
                bytes += lineBreak;
                break;
            default:
                bytes += (random() % 3 == 0 ? " " : "") + pick(keys) + (random() % 2 ? "=" : " = ") + pick(values) +
                         lineBreak;
            }
        }
        const std::string what = "generated file " + std::to_string(n) + ":\n" + bytes;
        ExpectSameReads(NewFile(bytes), queries, what);
        ExpectSameWrite(bytes, {pick(sections), pick(keys)}, pick(values), queries, what);
    }
    std::printf("%d files, %d comparisons\n", files, comparisons);
}

} // namespace
