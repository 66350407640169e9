#include "platform/filestore.h"

#include <windows.h>

namespace {

// Paths arrive as UTF-8; the ANSI calls would read them in the user's code page, where a folder
// such as "Zürich" is another name or none. An empty result stands for a path that is not UTF-8.
std::wstring Wide(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int length =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

bool Attributes(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data)
{
    const std::wstring wide = Wide(path);
    return !wide.empty() && GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data);
}

} // namespace

FileRead ReadSmallFile(const std::string& path, std::size_t maxBytes)
{
    FileRead result;
    const std::wstring wide = Wide(path);
    HANDLE file = wide.empty()
                      ? INVALID_HANDLE_VALUE
                      : CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        result.state = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileReadState::Absent
                                                                                      : FileReadState::Unreadable;
        return result;
    }
    result.state = FileReadState::Unreadable;
    LARGE_INTEGER size{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
        CloseHandle(file);
        return result;
    }
    result.bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    const bool ok = result.bytes.empty() ||
                    (ReadFile(file, result.bytes.data(), static_cast<DWORD>(result.bytes.size()), &got, nullptr) &&
                     got == result.bytes.size());
    CloseHandle(file);
    if (!ok) {
        result.bytes.clear();
        return result;
    }
    result.state = FileReadState::Read;
    return result;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes)
{
    const std::wstring target = Wide(path);
    if (target.empty())
        return false;
    const std::wstring temp = target + L".new";
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD put = 0;
    const bool written =
        (bytes.empty() ||
         (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) && put == bytes.size())) &&
        FlushFileBuffers(file);
    CloseHandle(file);
    // ReplaceFileW keeps the old file's security, attributes and streams, which a rename over it
    // would drop; it needs an old file, so a first write renames.
    const DWORD oldAttributes = GetFileAttributesW(target.c_str());
    bool replaced = false;
    if (written && oldAttributes != INVALID_FILE_ATTRIBUTES && !(oldAttributes & FILE_ATTRIBUTE_DIRECTORY))
        replaced = ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                                nullptr) != FALSE;
    else if (written && oldAttributes == INVALID_FILE_ATTRIBUTES)
        replaced = MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
    if (!replaced) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

bool PathExists(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return Attributes(path, data);
}

std::optional<std::uint64_t> RegularFileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!Attributes(path, data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}
