// The scene of the map-frame benchmarks: the built-in world picture in view 0 and the first 31
// cities of the built-in table, each labelled with its local time, on 15 July from noon UTC.
#pragma once

#include "worldmap/citytable.h"
#include "worldmap/mappictures.h"
#include "worldmap/mapview.h"
#include "worldmap/raster.h"
#include "worldmap/sunshadow.h"

#include <benchmark/benchmark.h>

struct MapFrameScene {
    Bitmap view = BuiltInMapPicture(BuiltInMap::World);
    Bitmap frame{316, 158};
    MapGeometry geometry;
    TMapCities cities{};
    FixedLocaleFormats formats;
    MapFrameOptions options;

    MapFrameScene()
    {
        int slot = 0;
        for (const std::string& row : BuiltInCityRows()) {
            if (slot == kMaxMapCities)
                break;
            if (const auto city = ParseCityRow(row))
                cities[slot++] = MapCityOf(*city);
        }
        options.localTime = EncodeDate(2026, 7, 15) + 0.5;
        options.cityTime = [this](const TMapCity& city, TDateTime utc) { return CityTimeText(city, utc, formats); };
    }
};

// The yardstick: the picture copied into the frame and nothing else.
inline void BM_BareFrameCopy(benchmark::State& state)
{
    MapFrameScene scene;
    for (auto _ : state) {
        CopyRect(scene.frame, 0, 0, scene.view, BoundsOf(scene.view));
        benchmark::DoNotOptimize(scene.frame.Data());
    }
}

// Frames one after another, each a minute later than the last, lettered by text, with the Sun's shadow
// when one is given.
inline void DrawFrames(benchmark::State& state, TextRenderer& text, ShadowStep shadow = {})
{
    MapFrameScene scene;
    scene.options.shadow = std::move(shadow);
    for (auto _ : state) {
        scene.options.localTime += 1.0 / 1440; // a new minute: new time texts, as in the program
        DrawMap(scene.frame, scene.view, scene.geometry, scene.cities, scene.options, text);
        benchmark::DoNotOptimize(scene.frame.Data());
    }
}

// DrawFrames with a Lettering made for the run, without the Sun's shadow or with it.
template <class Lettering, bool withShadow>
void FramesLetteredBy(benchmark::State& state)
{
    Lettering text;
    SunShadow shadow;
    DrawFrames(state, text, withShadow ? SunShadowStep(shadow) : ShadowStep{});
}
