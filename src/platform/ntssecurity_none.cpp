#include "platform/ntssecurity.h"

// A build without a TLS library: NTS is not offered, and asking for it fails as unavailable.
std::unique_ptr<NtsSecurity> MakeSystemNtsSecurity()
{
    return nullptr;
}
