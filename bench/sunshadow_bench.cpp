// The cost of the Sun's shadow on the built-in 316 × 158 map: the mask alone, the darkening alone, both;
// and one shaded frame of a 2048 × 1024 replacement world map, of which the map area shows one block.
#include "worldmap/sunshadow.h"

#include <benchmark/benchmark.h>

namespace {

// 21 June 12:00 UTC in view 0: a long wavy boundary and a single day area.
void BM_ShadowMask(benchmark::State& state)
{
    SunShadow shadow;
    const MapGeometry geometry{316, 158, MapViewId{static_cast<int>(state.range(0))}, state.range(0) == 3 ? -40 : 0, 20};
    for (auto _ : state) {
        benchmark::DoNotOptimize(shadow.DrawSunShadow(geometry, EncodeDate(2026, 6, 21) + 0.5));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ShadowMask)->Arg(0)->Arg(3);

void BM_ShadowDarken(benchmark::State& state)
{
    SunShadow shadow;
    shadow.DrawSunShadow(MapGeometry{}, EncodeDate(2026, 6, 21) + 0.5);
    Bitmap view(316, 158);
    for (int i = 0; i < 316 * 158; ++i)
        view.Data()[i] = static_cast<Rgb>(i * 2654435761u) & 0xFFFFFFu;
    Bitmap frame(316, 158);
    for (auto _ : state) {
        DarkenThroughMask(view, shadow.Mask(), frame);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ShadowDarken);

void BM_ShadowFrameLargeMap(benchmark::State& state)
{
    SunShadow shadow;
    const MapGeometry geometry{2048, 1024, MapViewId::WorldEurope, 0, 0};
    const Bitmap view(kShownBlockWidth, kShownBlockHeight, MakeRgb(40, 90, 160));
    Bitmap frame(316, 158);
    for (auto _ : state) {
        benchmark::DoNotOptimize(shadow.ShadeFrame(frame, view, geometry, EncodeDate(2026, 6, 21) + 0.5));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ShadowFrameLargeMap);

} // namespace
