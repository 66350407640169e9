// Opens files and addresses with the desktop's chosen program.
#pragma once

#include "platform/shellopener.h"

class QtShellOpener final : public ShellOpener {
public:
    bool Execute(const std::string& verb, const std::string& file, const std::string& parameters,
                 const std::string& folder) override;
};
