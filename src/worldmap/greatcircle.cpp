#include "worldmap/greatcircle.h"

#include <algorithm>
#include <cmath>
#include <numbers>

double DegToRad(double degrees)
{
    return degrees * (std::numbers::pi / 180.0);
}

double RadToDeg(double radians)
{
    return radians * (180.0 / std::numbers::pi);
}

namespace {

// asin(v) and acos(v) are written atan(v / root) and π/2 - atan(v / root) with this root: the small term under
// it keeps the quotient finite at ±1. Should rounding carry v past ±1 by more than that, the root stays at 0
// and the angle at ±π/2 rather than becoming NaN.
double GuardedRoot(double v)
{
    return std::sqrt(std::max(0.0, 1.0 - v * v + 1e-12));
}

} // namespace

void GreatCirclePoint(double rho, double beta, double lon0, double lat0, double& lat, double& lon)
{
    GreatCircle(rho, lon0, lat0).Point(beta, lat, lon);
}

GreatCircle::GreatCircle(double rho, double lon0, double lat0)
    : m_lon0(lon0), m_sinLat0(std::sin(lat0)), m_cosLat0(std::cos(lat0))
{
    constexpr double pi = std::numbers::pi;
    if (rho > pi) {
        // Further than the antipode: go the short way round, in the opposite direction.
        rho = 2 * pi - rho;
        m_folded = true;
    }
    m_cosRho = std::cos(rho);
    m_sinRho = std::sin(rho);
}

void GreatCircle::Point(double beta, double& lat, double& lon) const
{
    // A folded circle turns the azimuth and works out its own cosine.
    double delta = 0;
    Offset(beta, m_folded ? 0.0 : std::cos(beta), lat, delta);
    lon = WrappedLongitude(m_lon0, delta);
}

void GreatCircle::Offset(double beta, double cosBeta, double& lat, double& delta) const
{
    constexpr double pi = std::numbers::pi;
    if (m_folded) {
        beta += pi;
        if (beta > 2 * pi)
            beta -= 2 * pi;
        cosBeta = std::cos(beta);
    }
    const double v = m_sinLat0 * m_cosRho + m_cosLat0 * m_sinRho * cosBeta;
    const double root = GuardedRoot(v);
    lat = std::atan(v / root);
    // The sine and cosine of atan(v / root) are v and root over their hypotenuse: no trigonometry needed.
    const double hypotenuse = std::sqrt(v * v + root * root);
    const double h = (m_cosRho - v / hypotenuse * m_sinLat0) / (m_cosLat0 * (root / hypotenuse));
    delta = pi / 2 - std::atan(h / GuardedRoot(h));
    // Azimuths below π lead east, towards smaller west-positive longitudes.
    if (beta < pi)
        delta = -delta;
}

double GreatCircle::WrappedLongitude(double lon0, double delta)
{
    constexpr double pi = std::numbers::pi;
    double lon = lon0 + delta;
    if (lon > pi)
        lon -= 2 * pi;
    if (lon < -pi)
        lon += 2 * pi;
    return lon;
}
