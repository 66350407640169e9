// The folders the program keeps its settings in, as the platform's standard-paths service names them.
#pragma once

#include <string>

// The user's configuration folder for the program, ending in '/': "$XDG_CONFIG_HOME/chronivo/" on
// Linux, the user's application-data folder on Windows. Empty when the platform names none.
std::string UserConfigFolder();

// Creates folder and its parents when missing; false when it still does not exist.
bool MakeFolder(const std::string& folder);
