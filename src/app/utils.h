// Small helpers every part of the program uses: the only access to the settings file and the shell
// launch of files and addresses.
#pragma once

#include <cstddef>
#include <string>

class ShellOpener;

// The maker's home page, opened from the main window's logo and the settings dialog's About page.
inline constexpr const char* kHomePage = "https://veltrix.example/chronivo/";

// The value of key in section of the settings file fileName, or defaultValue when the key is absent;
// in either case at most bufferSize - 1 characters. An empty value reads as "", not as the default.
std::string ReadIniString(const std::string& fileName, const std::string& section, const std::string& key,
                          std::size_t bufferSize, const std::string& defaultValue = {});

// Stores value under key in section; true when the file now holds it. Never deletes a key.
bool WriteIniString(const std::string& fileName, const std::string& section, const std::string& key,
                    const std::string& value);

// Asks the desktop to carry out verb ("open") on file, an existing file or an address; true when
// the desktop took the request. Callers ignore failures: nothing is reported to the user.
bool ShellExecFile(ShellOpener& opener, const std::string& verb, const std::string& file,
                   const std::string& parameters = {}, const std::string& folder = {});
