#include "timesync/testras.h"

#include "platform/dialupstatus.h"

#include <algorithm>

bool IsDialUpConnected(const DialUpStatus& status)
{
    const std::vector<DialUpLink> links = status.Links();
    return std::any_of(links.begin(), links.end(), [](const DialUpLink& link) { return link.connected; });
}
