#include "platform/tickcounter.h"

#include <ctime>

namespace {

class PosixTickCounter final : public TickCounter {
public:
    std::uint32_t Now() const override
    {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        // Truncated to 32 bits on purpose: callers measure intervals across the wrap.
        const auto ms =
            static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
        return static_cast<std::uint32_t>(ms);
    }
};

} // namespace

std::unique_ptr<TickCounter> MakeSystemTickCounter()
{
    return std::make_unique<PosixTickCounter>();
}
