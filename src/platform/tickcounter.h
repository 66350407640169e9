// Platform service: a millisecond counter for measuring short intervals. It counts from an
// arbitrary origin, never goes back with the wall clock, and wraps at 2^32: intervals are the
// 32-bit difference of two readings taken as a signed number (ElapsedMs).
#pragma once

#include <cstdint>
#include <memory>

class TickCounter {
public:
    virtual ~TickCounter() = default;
    // The current count, milliseconds.
    virtual std::uint32_t Now() const = 0;
};

// Milliseconds from start to now, across a wrap of the counter; negative if now is before start.
inline std::int32_t ElapsedMs(std::uint32_t start, std::uint32_t now)
{
    return static_cast<std::int32_t>(now - start);
}

// The tick counter of this computer.
std::unique_ptr<TickCounter> MakeSystemTickCounter();
