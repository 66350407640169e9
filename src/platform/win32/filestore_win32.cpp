#include "platform/filestore.h"

#include <windows.h>

FileRead ReadSmallFile(const std::string& path, std::size_t maxBytes)
{
    FileRead result;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
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
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        problem = path + " is read-only";
        return false;
    }
    const std::string temp = path + ".new";
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        problem = path + ": cannot create " + temp;
        return false;
    }
    DWORD put = 0;
    const bool written = (bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put,
                                                      nullptr) &&
                                            put == bytes.size())) &&
                         FlushFileBuffers(file);
    CloseHandle(file);
    if (!written || !MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temp.c_str());
        problem = path + ": cannot be replaced";
        return false;
    }
    return true;
}

FileLock::FileLock(const std::string& path)
{
    const std::string name = path + ".lock";
    HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    for (int waited = 0; waited < 5000; waited += 10) {
        OVERLAPPED whole{};
        if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole)) {
            m_handle = static_cast<long long>(reinterpret_cast<INT_PTR>(file));
            return;
        }
        Sleep(10);
    }
    CloseHandle(file);
}

FileLock::~FileLock()
{
    if (m_handle >= 0)
        CloseHandle(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(m_handle)));
}

// The temporary has a fixed name here and is overwritten by the next save.
void RemoveStaleTemporaries(const std::string&) {}
