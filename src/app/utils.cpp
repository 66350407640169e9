#include "app/utils.h"

#include "app/settingssaver.h"
#include "platform/shellopener.h"

#include <algorithm>

namespace {

// One for the program, so that its saves of a file keep their order and its reads see them.
SettingsSaver& ProgramSaver()
{
    static SettingsSaver saver;
    return saver;
}

} // namespace

std::string ReadIniString(const std::string& fileName, const std::string& section, const std::string& key,
                          std::size_t bufferSize, const std::string& defaultValue)
{
    std::optional<std::string> stored = ProgramSaver().Pending(fileName, section, key);
    if (!stored)
        stored = inifile::ReadValue(fileName, section, key);
    std::string value = stored.value_or(defaultValue);
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
    return inifile::WriteValues(fileName, {{section, key, value}});
}

void SaveIniStrings(const std::string& fileName, inifile::Changes changes)
{
    ProgramSaver().Save(fileName, std::move(changes));
}

SavesFinished FinishIniSaves(std::chrono::milliseconds timeout, std::string& reason)
{
    return ProgramSaver().Flush(timeout, reason);
}

bool ShellExecFile(ShellOpener& opener, const std::string& verb, const std::string& file,
                   const std::string& parameters, const std::string& folder)
{
    return opener.Execute(verb, file, parameters, folder);
}
