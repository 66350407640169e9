// The skin's stored region on any bytes: no crash or read past the input; a region that is taken
// holds only non-empty rectangles inside its bounds, and writing it and reading it back gives the
// same region.
#include "components/USkinEd.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TSkinRegion region;
    const bool taken = region.ReadData({data, size});
    if (!taken || region.Empty()) {
        FUZZ_CHECK(region.Empty());
        return 0;
    }
    const SkinRect& bounds = region.Bounds();
    for (const SkinRect& rect : region.Rects()) {
        FUZZ_CHECK(rect.left < rect.right && rect.top < rect.bottom);
        FUZZ_CHECK(rect.left >= bounds.left && rect.right <= bounds.right);
        FUZZ_CHECK(rect.top >= bounds.top && rect.bottom <= bounds.bottom);
        FUZZ_CHECK(region.Contains(rect.left, rect.top));
    }
    TSkinRegion again;
    const std::vector<std::uint8_t> written = region.WriteData();
    FUZZ_CHECK(again.ReadData(written));
    FUZZ_CHECK(again.Rects() == region.Rects());
    FUZZ_CHECK(again.WriteData() == written);
    return 0;
}
