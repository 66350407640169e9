// The picture reader on any bytes: no crash, no read past the input, and a picture that decodes has
// the size it says within the limits.
#include "fuzzcheck.h"
#include "worldmap/bmpfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    BmpLimits limits;
    limits.maxPixels = 1 << 20;
    const BmpResult result = DecodeBmp({data, size}, limits);
    if (result.status == BmpStatus::Ok) {
        FUZZ_CHECK(result.bitmap.Width() > 0 && result.bitmap.Height() > 0);
        FUZZ_CHECK(static_cast<long long>(result.bitmap.Width()) * result.bitmap.Height() <= limits.maxPixels);
    }
    return 0;
}
