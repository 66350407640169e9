// The picture reader on any bytes: no crash, no read past the input, a picture that decodes has the
// size it says within the limits, and its top rows alone decode as they do in the whole picture.
#include "fuzzcheck.h"
#include "worldmap/bmpfile.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    BmpLimits limits;
    limits.maxPixels = 1 << 20;
    const BmpResult result = DecodeBmp({data, size}, limits);
    if (result.status == BmpStatus::Ok) {
        FUZZ_CHECK(result.bitmap.Width() > 0 && result.bitmap.Height() > 0);
        FUZZ_CHECK(static_cast<long long>(result.bitmap.Width()) * result.bitmap.Height() <= limits.maxPixels);
        const int rows = static_cast<int>(size % 5);
        const BmpResult top = DecodeBmp({data, size}, limits, rows);
        FUZZ_CHECK(top.status == BmpStatus::Ok && top.width == result.width && top.height == result.height);
        FUZZ_CHECK(top.bitmap.Height() == std::min(rows, result.height));
        for (int y = 0; y < top.bitmap.Height(); ++y)
            for (int x = 0; x < top.width; ++x)
                FUZZ_CHECK(top.bitmap.Pixel(x, y) == result.bitmap.Pixel(x, y));
    }
    return 0;
}
