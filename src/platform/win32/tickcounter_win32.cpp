#include "platform/tickcounter.h"

#include <windows.h>

namespace {

class Win32TickCounter final : public TickCounter {
public:
    std::uint32_t Now() const override { return GetTickCount(); }
};

} // namespace

std::unique_ptr<TickCounter> MakeSystemTickCounter()
{
    return std::make_unique<Win32TickCounter>();
}
