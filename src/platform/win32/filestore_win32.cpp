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
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
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
    const std::string temp = path + ".new";
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD put = 0;
    const bool written = (bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put,
                                                      nullptr) &&
                                            put == bytes.size())) &&
                         FlushFileBuffers(file);
    CloseHandle(file);
    if (!written || !MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temp.c_str());
        return false;
    }
    return true;
}
