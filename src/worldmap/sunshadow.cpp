#include "worldmap/sunshadow.h"

#include "worldmap/greatcircle.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define CHRONIVO_DARKEN_SSE2 1
#endif

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kStep = 0.04;               // radians of azimuth between traced points and between seeds
constexpr double kBoundary = kPi / 2;        // the day/night boundary, 90 degrees from the Sun
constexpr double kSeedRadius = 5 * kPi / 11; // seeds lie just inside the twilight band in every view

// The regional views are drawn at three times the world scale, so their pen is three times as wide; their
// white circle is drawn tighter so that it stays clear of the wider twilight band.
bool IsRegional(const MapGeometry& geometry)
{
    return ProjectionOf(geometry.view) == MapProjection::Regional;
}

// An azimuth with its cosine, which the circles' points need and which stays the same from frame to frame.
struct Azimuth {
    double angle;
    double cosine;
};

Azimuth AzimuthOf(double angle)
{
    return {angle, std::cos(angle)};
}

// The azimuths of the traced curves, 0, 0.04, ..., 6.28 and back to 0, added up step by step as they always
// were; and those of the seeds, i × 0.04 up to 2π.
struct Azimuths {
    std::vector<Azimuth> traced;
    std::vector<Azimuth> seeds;

    Azimuths()
    {
        double azimuth = 0;
        traced.push_back(AzimuthOf(azimuth));
        do {
            azimuth += kStep;
            if (azimuth >= 2 * kPi)
                azimuth = 0;
            traced.push_back(AzimuthOf(azimuth));
        } while (azimuth != 0);
        for (int i = 0; i * kStep <= 2 * kPi; ++i)
            seeds.push_back(AzimuthOf(i * kStep));
    }
};

const Azimuths& TheAzimuths()
{
    static const Azimuths azimuths;
    return azimuths;
}

// Makes circle hold the points at radius around a Sun at sunLatitude, one for each azimuth, unless it holds
// them already, for a latitude within kSunLatitudeSlack of it.
void KeepPoints(SunShadow::CirclePoints& circle, double radius, double sunLatitude,
                const std::vector<Azimuth>& azimuths)
{
    // The map is redrawn every minute and the Sun's latitude moves with it; working the points out afresh
    // each time would cost more than the rest of the mask.
    if (circle.radius == radius && std::abs(circle.sunLatitude - sunLatitude) <= kSunLatitudeSlack &&
        circle.points.size() == azimuths.size())
        return;
    // The centre's longitude plays no part in a point's offset from it.
    const GreatCircle around(radius, 0.0, sunLatitude);
    circle.points.resize(azimuths.size());
    for (std::size_t i = 0; i < azimuths.size(); ++i)
        around.Offset(azimuths[i].angle, azimuths[i].cosine, circle.points[i].latitude, circle.points[i].delta);
    circle.radius = radius;
    circle.sunLatitude = sunLatitude;
}

MapPoint PixelAt(const MapGeometry& geometry, const SunPoint& sun, const SunShadow::CirclePoint& point)
{
    const double westLongitude = GreatCircle::WrappedLongitude(sun.westLongitude, point.delta);
    return {LonToX(geometry, RadToDeg(westLongitude)), LatToY(geometry, RadToDeg(point.latitude))};
}

} // namespace

SunPoint SubsolarPoint(TDateTime utc)
{
    // Days since 1 January 2000, 12:00 UTC.
    const double n = utc - (EncodeDate(2000, 1, 1) + 0.5);
    const double utcTimeOfDay = utc - std::floor(utc);
    // The Sun's mean longitude and mean anomaly, its ecliptic longitude and the obliquity of the ecliptic
    // (degrees), as the almanacs give them in short form.
    const double meanLongitude = 280.460 + 0.9856474 * n;
    const double anomaly = DegToRad(357.528 + 0.9856003 * n);
    const double longitude = DegToRad(meanLongitude + 1.915 * std::sin(anomaly) + 0.020 * std::sin(2 * anomaly));
    const double obliquity = DegToRad(23.439 - 0.0000004 * n);
    const double declination = std::asin(std::sin(obliquity) * std::sin(longitude));
    const double rightAscension = std::atan2(std::cos(obliquity) * std::sin(longitude), std::cos(longitude));
    // The equation of time, hours: how far the Sun runs ahead of (or behind) the mean Sun the clock follows.
    const double ahead = std::remainder(meanLongitude - RadToDeg(rightAscension), 360.0);
    const double equationOfTime = ahead / 15;
    const double westLongitude = 15 * (24 * utcTimeOfDay - 12 + equationOfTime);
    return {declination, DegToRad(westLongitude)};
}

MapPoint SunShadow::DrawSunShadow(const MapGeometry& geometry, TDateTime utc)
{
    return DrawSunShadow(geometry, SubsolarPoint(utc));
}

MapPoint SunShadow::DrawSunShadow(const MapGeometry& geometry, const SunPoint& sun)
{
    return DrawMask(geometry, sun, geometry.width, geometry.height);
}

MapPoint SunShadow::DrawMask(const MapGeometry& geometry, const SunPoint& sun, int width, int height)
{
    // The circles are kept as runs and the fill is worked out on the spans between them, so a large map costs
    // little more than its rows; only the pixels asked for are painted.
    const int mapWidth = std::max(geometry.width, 0);
    const int mapHeight = std::max(geometry.height, 0);
    width = std::clamp(width, 0, mapWidth);
    height = std::clamp(height, 0, mapHeight);
    if (m_mask.Width() != width || m_mask.Height() != height)
        m_mask = ShadowMask(width, height);

    const bool regional = IsRegional(geometry);
    const int penWidth = regional ? 36 : 12;
    KeepPoints(m_inner, regional ? 5 * kPi / 11 : 10 * kPi / 21, sun.latitude, TheAzimuths().traced);
    KeepPoints(m_boundary, kBoundary, sun.latitude, TheAzimuths().traced);
    KeepPoints(m_seeds, kSeedRadius, sun.latitude, TheAzimuths().seeds);
    m_whiteRuns.Reset(width, height);
    m_twilightRuns.Reset(mapWidth, mapHeight);
    TraceCircle(geometry, sun, m_inner, m_whiteRuns, penWidth);
    TraceCircle(geometry, sun, m_boundary, m_twilightRuns, penWidth);
    m_whiteRuns.Join();
    m_twilightRuns.Join();

    // Each seed marks its area up to the twilight band. Areas split by the map's edges need several seeds.
    m_areas.Build(m_twilightRuns);
    for (const CirclePoint& point : m_seeds.points) {
        const MapPoint seed = PixelAt(geometry, sun, point);
        m_areas.Mark(seed.x, seed.y);
    }

    // Night, the white circle over it, the filled day over both, the twilight band over all.
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = m_mask.Row(y);
        const auto paint = [row, width](int from, int to, std::uint8_t level) {
            if (from < width)
                std::memset(row + from, level, static_cast<std::size_t>(std::min(to, width - 1) - from + 1));
        };
        paint(0, width - 1, ShadowMask::kNightLevel);
        for (const RowRuns::Run& run : m_whiteRuns.Row(y))
            paint(run.from, run.to, ShadowMask::kDrawnDayLevel);
        m_areas.MarkedSpans(y, [&paint](int from, int to) { paint(from, to, ShadowMask::kFilledDayLevel); });
        for (const RowRuns::Run& run : m_twilightRuns.Row(y))
            paint(run.from, run.to, ShadowMask::kTwilightLevel);
    }
    return {LonToX(geometry, RadToDeg(sun.westLongitude)), LatToY(geometry, RadToDeg(sun.latitude))};
}

void SunShadow::TraceCircle(const MapGeometry& geometry, const SunPoint& sun, const CirclePoints& circle,
                            RowRuns& runs, int penWidth)
{
    LinePen pen(runs, penWidth);
    const std::vector<CirclePoint>& points = circle.points;
    MapPoint previous = PixelAt(geometry, sun, points.front());
    pen.MoveTo(previous.x, previous.y);
    const int halfWidth = geometry.width / 2;
    // 158 segments, the last back to azimuth 0, which closes the circle.
    for (std::size_t i = 1; i < points.size(); ++i) {
        const MapPoint point = PixelAt(geometry, sun, points[i]);
        // A jump of more than half the map is the curve crossing the seam: carry it out past one edge (by the
        // pen width, so the round end stays off the map) and bring it back in past the other.
        if (point.x - previous.x > halfWidth) {
            pen.LineTo(-penWidth, point.y);
            pen.MoveTo(geometry.width + penWidth, point.y);
        } else if (previous.x - point.x > halfWidth) {
            pen.LineTo(geometry.width + penWidth, point.y);
            pen.MoveTo(-penWidth, point.y);
        }
        pen.LineTo(point.x, point.y);
        previous = point;
    }
}

MapPoint SunShadow::ShadeFrame(Bitmap& frame, const Bitmap& view, const MapGeometry& geometry, TDateTime utc)
{
    return ShadeFrame(frame, view, geometry, SubsolarPoint(utc));
}

MapPoint SunShadow::ShadeFrame(Bitmap& frame, const Bitmap& view, const MapGeometry& geometry, const SunPoint& point)
{
    const MapPoint sun = DrawMask(geometry, point, std::min(frame.Width(), view.Width()),
                                  std::min(frame.Height(), view.Height()));
    // A regional picture smaller than a replacement world map would leave the last frame around it.
    if (view.Width() < frame.Width() || view.Height() < frame.Height())
        std::fill(frame.Data(), frame.Data() + static_cast<std::size_t>(frame.Width()) * frame.Height(), Rgb{0});
    DarkenThroughMask(view, m_mask, frame);
    return sun;
}

void DarkenThroughMask(const Bitmap& view, const ShadowMask& mask, Bitmap& frame)
{
    const int width = std::min({view.Width(), mask.Width(), frame.Width()});
    const int height = std::min({view.Height(), mask.Height(), frame.Height()});
    for (int y = 0; y < height; ++y) {
        const Rgb* __restrict picture = view.Row(y);
        const std::uint8_t* __restrict shade = mask.Row(y);
        Rgb* __restrict out = frame.Row(y);
        int x = 0;
#ifdef CHRONIVO_DARKEN_SSE2
        // Sixteen pixels a step: the levels are compared as bytes, and each comparison's bytes are spread to
        // the four bytes of their pixel, which the compiler does poorly on its own.
        const __m128i twilightLevel = _mm_set1_epi8(ShadowMask::kTwilightLevel);
        const __m128i dayBit = _mm_set1_epi8(1);
        const __m128i halfMask = _mm_set1_epi32(0x7F7F7F);
        const __m128i eighthMask = _mm_set1_epi32(0x1F1F1F);
        for (; x + 16 <= width; x += 16) {
            const __m128i levels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(shade + x));
            // Most of a frame lies in wide stretches of day or of night: sixteen pixels under one level
            // take that level's one operation.
            if (_mm_movemask_epi8(_mm_cmpeq_epi8(levels, _mm_set1_epi8(static_cast<char>(shade[x])))) == 0xFFFF) {
                const std::uint8_t level = shade[x];
                for (int quarter = 0; quarter < 4; ++quarter) {
                    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(picture + x + 4 * quarter));
                    const __m128i result = (level & 1) != 0 ? c
                                           : level == ShadowMask::kTwilightLevel
                                               ? _mm_and_si128(_mm_srli_epi32(c, 1), halfMask)
                                               : _mm_and_si128(_mm_srli_epi32(c, 3), eighthMask);
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 4 * quarter), result);
                }
                continue;
            }
            const __m128i twilight = _mm_cmpeq_epi8(levels, twilightLevel);
            const __m128i day = _mm_cmpeq_epi8(_mm_and_si128(levels, dayBit), dayBit);
            const __m128i twilightPairs[2] = {_mm_unpacklo_epi8(twilight, twilight),
                                              _mm_unpackhi_epi8(twilight, twilight)};
            const __m128i dayPairs[2] = {_mm_unpacklo_epi8(day, day), _mm_unpackhi_epi8(day, day)};
            for (int quarter = 0; quarter < 4; ++quarter) {
                const __m128i isTwilight = quarter % 2 == 0 ? _mm_unpacklo_epi16(twilightPairs[quarter / 2],
                                                                                 twilightPairs[quarter / 2])
                                                            : _mm_unpackhi_epi16(twilightPairs[quarter / 2],
                                                                                 twilightPairs[quarter / 2]);
                const __m128i isDay = quarter % 2 == 0
                                          ? _mm_unpacklo_epi16(dayPairs[quarter / 2], dayPairs[quarter / 2])
                                          : _mm_unpackhi_epi16(dayPairs[quarter / 2], dayPairs[quarter / 2]);
                const __m128i* source = reinterpret_cast<const __m128i*>(picture + x + 4 * quarter);
                const __m128i c = _mm_loadu_si128(source);
                const __m128i halved = _mm_and_si128(_mm_srli_epi32(c, 1), halfMask);
                const __m128i eighth = _mm_and_si128(_mm_srli_epi32(c, 3), eighthMask);
                const __m128i dark = _mm_xor_si128(eighth, _mm_and_si128(_mm_xor_si128(halved, eighth), isTwilight));
                const __m128i result = _mm_xor_si128(dark, _mm_and_si128(_mm_xor_si128(c, dark), isDay));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 4 * quarter), result);
            }
        }
#endif
        for (; x < width; ++x)
            out[x] = DarkenByLevel(picture[x], shade[x]);
    }
}

Bitmap ReferenceSunShadowMask(const MapGeometry& geometry, const SunPoint& sun)
{
    const auto pixelAt = [&](double radius, double azimuth) {
        double lat = 0, lon = 0;
        GreatCirclePoint(radius, azimuth, sun.westLongitude, sun.latitude, lat, lon);
        return MapPoint{LonToX(geometry, RadToDeg(lon)), LatToY(geometry, RadToDeg(lat))};
    };
    const bool regional = IsRegional(geometry);
    const int pen = regional ? 36 : 12;
    Bitmap mask(geometry.width, geometry.height, kShadowNight);

    const auto trace = [&](double radius, Rgb color) {
        MapPoint from = pixelAt(radius, 0);
        double azimuth = 0;
        do {
            azimuth += kStep;
            if (azimuth >= 2 * kPi)
                azimuth = 0;
            const MapPoint to = pixelAt(radius, azimuth);
            if (std::abs(to.x - from.x) > geometry.width / 2) {
                const int out = to.x > from.x ? -pen : geometry.width + pen;
                DrawWideLine(mask, from.x, from.y, out, to.y, color, pen);
                from = {geometry.width - out, to.y};
            }
            DrawWideLine(mask, from.x, from.y, to.x, to.y, color, pen);
            from = to;
        } while (azimuth != 0);
    };
    trace(regional ? 5 * kPi / 11 : 10 * kPi / 21, kShadowDay);
    trace(kBoundary, kShadowTwilight);
    for (int i = 0; i * kStep <= 2 * kPi; ++i) {
        const MapPoint seed = pixelAt(kSeedRadius, i * kStep);
        FloodFillBorder(mask, seed.x, seed.y, kShadowTwilight, kShadowDay);
    }
    return mask;
}

ShadowStep SunShadowStep(SunShadow& shadow)
{
    return [&shadow](Bitmap& frame, const Bitmap& view, const MapGeometry& geometry, TDateTime utc) {
        return shadow.ShadeFrame(frame, view, geometry, utc);
    };
}
