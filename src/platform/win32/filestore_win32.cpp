#include "platform/filestore.h"

#include "platform/savetemporary.h"

#include <random>
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

constexpr unsigned long long kStaleTemporaryTicks = 60ULL * 10'000'000; // a minute in 100 ns ticks
constexpr int kTemporaryTries = 100;

std::string Utf8(const wchar_t* wide)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1)
        return {};
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), length, nullptr, nullptr);
    utf8.pop_back(); // the terminating NUL
    return utf8;
}

unsigned long long Ticks(const FILETIME& time)
{
    return static_cast<unsigned long long>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

bool WriteAll(HANDLE file, std::string_view bytes)
{
    DWORD put = 0;
    return bytes.empty() ||
           (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) && put == bytes.size());
}

// A new file beside target holding bytes, flushed to the disk; its name in temp. False, with nothing
// left behind, when it cannot be made.
bool WriteTemporary(const std::wstring& target, std::string_view bytes, std::wstring& temp)
{
    static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    for (int attempt = 0; attempt < kTemporaryTries; ++attempt) {
        temp = target + L".";
        for (std::size_t i = 0; i < save_temporary::kRandomChars; ++i)
            temp += static_cast<wchar_t>(kChars[random() % (sizeof(kChars) - 1)]);
        temp += L".tmp";
        HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS)
                continue;
            return false;
        }
        const bool written = WriteAll(file, bytes) && FlushFileBuffers(file);
        CloseHandle(file);
        if (!written)
            DeleteFileW(temp.c_str());
        return written;
    }
    return false;
}

bool RewriteInPlace(const std::wstring& target, std::string_view bytes)
{
    HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool written = WriteAll(file, bytes) && SetEndOfFile(file) && FlushFileBuffers(file);
    CloseHandle(file);
    return written;
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
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        result.state = FileReadState::Absent;
        return result;
    }
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0) {
        CloseHandle(file);
        return result;
    }
    if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
        CloseHandle(file);
        result.state = FileReadState::TooLarge;
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

bool SaveSmallFile(const std::string& path, std::string_view bytes, std::string& problem)
{
    const std::wstring target = Wide(path);
    if (target.empty()) {
        problem = path + " is not a UTF-8 path";
        return false;
    }
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        std::wstring temp;
        if ((error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) && WriteTemporary(target, bytes, temp)) {
            if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH))
                return true;
            DeleteFileW(temp.c_str());
        }
        problem = path + ": cannot create the file";
        return false;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        problem = path + " is not a regular file";
        return false;
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        problem = path + " is read-only";
        return false;
    }
    // Opening it for writing proves the user may write it, and tells whether other names share it.
    HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        problem = path + " cannot be written";
        return false;
    }
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        problem = path + " is not a regular file";
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool oneName = GetFileInformationByHandle(file, &info) && info.nNumberOfLinks == 1;
    CloseHandle(file);

    // ReplaceFileW keeps the old file's security, attributes and streams, which a rename over it would
    // drop. A link (it would be replaced by a plain file) and a file of several names (the others would
    // keep the old contents) are rewritten in place, as is a file in a folder that takes no new file.
    std::wstring temp;
    if (oneName && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) && WriteTemporary(target, bytes, temp)) {
        if (ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
            return true;
        DeleteFileW(temp.c_str());
    }
    if (RewriteInPlace(target, bytes))
        return true;
    problem = path + " cannot be written";
    return false;
}

FileLock::FileLock(const std::string& path)
{
    // Windows locks are mandatory: a lock on the settings file itself would keep its readers out, so
    // where no lock file can be made there is no lock.
    const std::wstring name = Wide(path + ".lock");
    if (name.empty())
        return;
    HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    OVERLAPPED whole{};
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole)) {
        m_fileHandle = static_cast<long long>(reinterpret_cast<INT_PTR>(file));
        m_state = LockState::Held;
        return;
    }
    m_state = GetLastError() == ERROR_LOCK_VIOLATION ? LockState::Busy : LockState::Unavailable;
    CloseHandle(file);
}

FileLock::~FileLock()
{
    // Closing the handle releases the lock.
    if (m_fileHandle >= 0)
        CloseHandle(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(m_fileHandle)));
}

void RemoveStaleTemporaries(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::wstring pattern = Wide(path + ".*" + std::string(save_temporary::kSuffix));
    if (pattern.empty())
        return;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    do {
        const std::string candidate = Utf8(found.cFileName);
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
            !save_temporary::IsOurs(candidate, name) ||
            Ticks(now) - Ticks(found.ftLastWriteTime) < kStaleTemporaryTicks)
            continue;
        const std::wstring stale = Wide(folder + candidate);
        if (!stale.empty())
            DeleteFileW(stale.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
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
