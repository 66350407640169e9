#include "platform/dialupstatus.h"

#include <windows.h>

#include <ras.h>
#include <raserror.h>

namespace {

// The remote-access service's connections. Room is made for as many entries as are active: with a
// buffer for one, two active connections make the enumeration fail and read as none.
class Win32DialUpStatus final : public DialUpStatus {
public:
    std::vector<DialUpLink> Links() const override
    {
        std::vector<RASCONNA> entries(1);
        DWORD bytes = 0;
        DWORD count = 0;
        DWORD result = Enumerate(entries, bytes, count);
        if (result == ERROR_BUFFER_TOO_SMALL) {
            entries.resize(bytes / sizeof(RASCONNA) + 1);
            result = Enumerate(entries, bytes, count);
        }
        std::vector<DialUpLink> links;
        if (result != 0)
            return links;
        for (DWORD i = 0; i < count && i < entries.size(); ++i) {
            RASCONNSTATUSA status{};
            status.dwSize = sizeof status;
            const bool connected =
                RasGetConnectStatusA(entries[i].hrasconn, &status) == 0 && status.rasconnstate == RASCS_Connected;
            links.push_back({entries[i].szEntryName, connected});
        }
        return links;
    }

private:
    static DWORD Enumerate(std::vector<RASCONNA>& entries, DWORD& bytes, DWORD& count)
    {
        for (RASCONNA& entry : entries)
            entry.dwSize = sizeof(RASCONNA);
        bytes = static_cast<DWORD>(entries.size() * sizeof(RASCONNA));
        count = 0;
        return RasEnumConnectionsA(entries.data(), &bytes, &count);
    }
};

} // namespace

std::unique_ptr<DialUpStatus> MakeSystemDialUpStatus()
{
    return std::make_unique<Win32DialUpStatus>();
}
