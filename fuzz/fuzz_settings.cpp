// The settings file engine on any file and any section, key and value: after a write the key reads
// back as written, every other key reads as before, and writing the same again changes no byte.
#include "app/inifile.h"
#include "fuzzcheck.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// In memory where there is a memory file system: each write flushes to the disk.
const std::string& FilePath()
{
    // Kept to the very end, for the clean-up at exit.
    static const std::string& path = *new std::string([] {
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        const std::filesystem::path folder = base / ("chronivo-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        return (folder / "chronivo.ini").string();
    }());
    static const bool cleanedAtExit = std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(FilePath()).parent_path(), ignored);
    }) == 0;
    (void)cleanedAtExit;
    return path;
}

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// A name the file can hold: one line, and nothing that would end or open it early.
bool UsableName(std::string_view name, bool section)
{
    name = Trim(name);
    if (name.empty() || name.front() == '[')
        return false;
    for (const char c : name)
        if (c == '\n' || c == '\r' || c == '=' || c == '\0' || (section && c == ']'))
            return false;
    return true;
}

// The section and key names the file seems to hold, found by a scan of its own.
std::vector<std::pair<std::string, std::string>> NamesIn(std::string_view bytes)
{
    std::vector<std::pair<std::string, std::string>> names;
    std::string section;
    std::size_t start = 0;
    while (start < bytes.size() && names.size() < 16) {
        const std::size_t end = std::min(bytes.find('\n', start), bytes.size());
        const std::string_view line = Trim(bytes.substr(start, end - start));
        start = end + 1;
        if (!line.empty() && line.front() == '[')
            section = std::string(line.substr(1, line.find(']') == std::string_view::npos ? line.npos : line.find(']') - 1));
        else if (line.find('=') != std::string_view::npos)
            names.emplace_back(section, std::string(line.substr(0, line.find('='))));
    }
    return names;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Input: section, key and value, each ended by a NUL; the rest is the file.
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view fields[3];
    std::size_t at = 0;
    for (std::string_view& field : fields) {
        const std::size_t end = input.find('\0', at);
        if (end == std::string_view::npos)
            return 0;
        field = input.substr(at, end - at);
        at = end + 1;
    }
    const std::string_view file = input.substr(at);
    const auto [section, key, value] = fields;
    if (!UsableName(section, true) || !UsableName(key, false))
        return 0;
    const std::string& path = FilePath();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(file.data(), static_cast<std::streamsize>(file.size()));
    }
    const auto others = NamesIn(file);
    std::vector<std::optional<std::string>> before;
    for (const auto& [s, k] : others)
        before.push_back(inifile::ReadValue(path, s, k));

    FUZZ_CHECK(inifile::WriteValues(path, {{std::string(section), std::string(key), std::string(value)}}));
    std::string expected(Trim(value));
    for (char& c : expected)
        if (c == '\r' || c == '\n')
            c = ' ';
    FUZZ_CHECK(inifile::ReadValue(path, section, key) == std::string(Trim(expected)));
    const auto sameName = [](std::string_view a, std::string_view b) {
        a = Trim(a);
        b = Trim(b);
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
                return false;
        return true;
    };
    for (std::size_t i = 0; i < others.size(); ++i)
        if (!(sameName(others[i].first, section) && sameName(others[i].second, key)))
            FUZZ_CHECK(inifile::ReadValue(path, others[i].first, others[i].second) == before[i]);

    const std::string once = Slurp(path);
    FUZZ_CHECK(inifile::WriteValues(path, {{std::string(section), std::string(key), std::string(value)}}));
    FUZZ_CHECK(Slurp(path) == once);
    return 0;
}
