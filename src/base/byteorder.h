// Byte order helpers the standard library only has from C++23 on.
#pragma once

#include <cstdint>

// value with its eight bytes in the opposite order. Written with shifts, which compilers turn into their
// single byte-swap instruction.
constexpr std::uint64_t ByteSwap64(std::uint64_t value)
{
    value = ((value & 0x00FF00FF00FF00FFu) << 8) | ((value >> 8) & 0x00FF00FF00FF00FFu);
    value = ((value & 0x0000FFFF0000FFFFu) << 16) | ((value >> 16) & 0x0000FFFF0000FFFFu);
    return (value << 32) | (value >> 32);
}
