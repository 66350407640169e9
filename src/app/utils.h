// Small helpers every part of the program uses: the only access to the settings file and the shell
// launch of files and addresses.
#pragma once

#include "app/inifile.h"
#include "app/settingssaver.h"

#include <chrono>
#include <cstddef>
#include <string>

class ShellOpener;

// The maker's home page, opened from the main window's logo and the settings dialog's About page.
inline constexpr const char* kHomePage = "https://veltrix.example/chronivo/";

// The value of key in section of the settings file fileName, or defaultValue when the key is absent;
// in either case at most bufferSize - 1 characters. An empty value reads as "", not as the default.
// A value handed to SaveIniStrings reads as saved, whether or not its save has landed yet.
std::string ReadIniString(const std::string& fileName, const std::string& section, const std::string& key,
                          std::size_t bufferSize, const std::string& defaultValue = {});

// Stores value under key in section; true when the file now holds it. Never deletes a key. Waits
// its turn while another program holds the file's lock: for tools and tests, never the window's
// thread, which saves through SaveIniStrings.
bool WriteIniString(const std::string& fileName, const std::string& section, const std::string& key,
                    const std::string& value);

// Saves changes to the settings file fileName as one transaction, on the program's save thread, in
// the order of the calls; returns at once. A save that cannot be made is said once on stderr.
void SaveIniStrings(const std::string& fileName, inifile::Changes changes);
// Waits at most timeout for the saves handed to SaveIniStrings: Saved when all were made (since the
// last call), otherwise why not, with the reason (which keys, and what stopped them) in reason.
SavesFinished FinishIniSaves(std::chrono::milliseconds timeout, std::string& reason);

// Asks the desktop to carry out verb ("open") on file, an existing file or an address; true when
// the desktop took the request. Callers ignore failures: nothing is reported to the user.
bool ShellExecFile(ShellOpener& opener, const std::string& verb, const std::string& file,
                   const std::string& parameters = {}, const std::string& folder = {});
