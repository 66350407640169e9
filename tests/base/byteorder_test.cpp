#include "base/byteorder.h"

#include <gtest/gtest.h>

TEST(ByteSwap64, ReversesTheEightBytes)
{
    EXPECT_EQ(ByteSwap64(0x0102030405060708u), 0x0807060504030201u);
    EXPECT_EQ(ByteSwap64(ByteSwap64(0xF00DFACEDEADBEEFu)), 0xF00DFACEDEADBEEFu);
}
