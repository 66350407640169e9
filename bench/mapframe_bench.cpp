// A map frame with 31 cities, without and with the Sun's shadow, against the bare copy of the picture it
// starts from.
// The lettering here measures and draws nothing, so this is the core's own share of a frame; the
// window's lettering is measured in mapframe_qt_bench.
#include "mapframe_setup.h"

#include <benchmark/benchmark.h>

namespace {

class NoLettering final : public TextRenderer {
public:
    void Begin(Bitmap&, const MapFont&) override {}
    TextExtent Extent(const std::string& text) override { return {5 * static_cast<int>(text.size()), 11}; }
    void Out(int, int, const std::string&, Rgb) override {}
    void End() override {}
};

BENCHMARK(BM_BareFrameCopy);
BENCHMARK(FramesLetteredBy<NoLettering, false>)->Name("BM_FrameNoShadow31CitiesNoLettering");
BENCHMARK(FramesLetteredBy<NoLettering, true>)->Name("BM_FrameShadow31CitiesNoLettering");

} // namespace
