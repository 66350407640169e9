// Platform service: hands a file or an address to the desktop, which opens it with the user's
// chosen program.
#pragma once

#include <string>

class ShellOpener {
public:
    virtual ~ShellOpener() = default;
    // Carries out verb ("open") on file with the given parameters in folder; true when the desktop
    // accepted the request (not whether the file then opened).
    virtual bool Execute(const std::string& verb, const std::string& file, const std::string& parameters,
                         const std::string& folder) = 0;
};
