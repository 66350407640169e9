#include "app/utils.h"

#include "app/inifile.h"
#include "platform/shellopener.h"

#include <algorithm>

std::string ReadIniString(const std::string& fileName, const std::string& section, const std::string& key,
                          std::size_t bufferSize, const std::string& defaultValue)
{
    std::string value = inifile::ReadValue(fileName, section, key).value_or(defaultValue);
    // The stored text stops at a NUL, as a C string would.
    value.resize(std::min(value.find('\0'), value.size()));
    if (bufferSize == 0)
        return {};
    if (value.size() > bufferSize - 1)
        value.resize(bufferSize - 1);
    return value;
}

bool WriteIniString(const std::string& fileName, const std::string& section, const std::string& key,
                    const std::string& value)
{
    return inifile::WriteValue(fileName, section, key, value);
}

bool ShellExecFile(ShellOpener& opener, const std::string& verb, const std::string& file,
                   const std::string& parameters, const std::string& folder)
{
    return opener.Execute(verb, file, parameters, folder);
}
