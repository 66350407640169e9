// The angle helpers: the point at a distance and azimuth from a centre, west-positive longitudes.
#include "worldmap/greatcircle.h"
#include "support/casename.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double pi = std::numbers::pi;

struct PointCase {
    const char* name;
    double rho, beta, lon0, lat0, lat, lon;
};

void PrintTo(const PointCase& c, std::ostream* out)
{
    *out << c.name;
}

class GreatCircleKnownPoints : public ::testing::TestWithParam<PointCase> {};

TEST_P(GreatCircleKnownPoints, LieWhereTheyShould)
{
    const PointCase& c = GetParam();
    double lat = 9, lon = 9;
    GreatCirclePoint(c.rho, c.beta, c.lon0, c.lat0, lat, lon);
    // The guard under the root costs about 1e-6 radian next to ±1.
    EXPECT_NEAR(lat, c.lat, 1e-5);
    EXPECT_NEAR(lon, c.lon, 1e-5);
}

INSTANTIATE_TEST_SUITE_P(
    GreatCirclePoint, GreatCircleKnownPoints,
    ::testing::Values(PointCase{"a quarter turn east of 0,0 is 90 E", pi / 2, pi / 2, 0, 0, 0, -pi / 2},
                      PointCase{"a quarter turn west of 0,0 is 90 W", pi / 2, 3 * pi / 2, 0, 0, 0, pi / 2},
                      PointCase{"north along the meridian", pi / 4, 0, 1, 0, pi / 4, 1},
                      // Three quarters of a turn east is a quarter turn west.
                      PointCase{"beyond the antipode folds back", 3 * pi / 2, pi / 2, 0, 0, 0, pi / 2},
                      PointCase{"the folded azimuth wraps below 2 pi", 3 * pi / 2, 3 * pi / 2, 0, 0, 0, -pi / 2},
                      PointCase{"west across 180 wraps to east", pi / 2, 3 * pi / 2, 3.0, 0, 0, 3.0 + pi / 2 - 2 * pi},
                      PointCase{"east across 180 wraps to west", pi / 2, pi / 2, -3.0, 0, 0, -3.0 - pi / 2 + 2 * pi}),
    NameOfCase{});

TEST(GreatCirclePoint, DegreesAndRadians)
{
    EXPECT_DOUBLE_EQ(DegToRad(180), pi);
    EXPECT_DOUBLE_EQ(RadToDeg(pi / 2), 90);
}

// Over the circles the shadow traces, and far off them, each point lies at the asked distance from the
// centre, on the asked side (azimuths below pi lead east), with its longitude in -pi .. pi.
TEST(GreatCirclePoint, LiesAtTheDistanceOnTheRightSide)
{
    for (double lat0 : {-1.5, -0.409, 0.0, 0.2, 0.409, 1.5})
        for (double rho : {0.3, 10 * pi / 21, 5 * pi / 11, pi / 2, 2.5, 4.0})
            for (int step = 0; step < 158; ++step) {
                const double beta = step * 0.04;
                const double lon0 = 3.1 - step * 0.039;
                double lat, lon;
                GreatCirclePoint(rho, beta, lon0, lat0, lat, lon);
                SCOPED_TRACE(testing::Message() << "lat0 " << lat0 << " rho " << rho << " beta " << beta);
                ASSERT_TRUE(std::isfinite(lat) && std::isfinite(lon));
                EXPECT_LE(std::abs(lon), pi);
                const double distance = std::acos(std::sin(lat) * std::sin(lat0) +
                                                  std::cos(lat) * std::cos(lat0) * std::cos(lon - lon0));
                EXPECT_NEAR(distance, rho > pi ? 2 * pi - rho : rho, 2e-3);
                const double eastward = std::sin(lon0 - lon);
                const double side = std::sin(rho > pi ? beta + pi : beta);
                if (std::abs(side) > 0.1 && std::abs(eastward) > 1e-3) {
                    EXPECT_EQ(eastward > 0, side > 0);
                }
            }
}

// A cosine worked out beforehand gives the very same bits, folded circles (past the antipode) included.
TEST(GreatCircle, GivenCosineGivesTheSamePoint)
{
    for (double rho : {0.3, pi / 2, 4.0})
        for (int step = 0; step < 158; ++step) {
            const double beta = step * 0.04;
            const GreatCircle circle(rho, 3.1 - step * 0.039, -0.409);
            double lat, lon, latGiven, delta;
            circle.Point(beta, lat, lon);
            circle.Offset(beta, std::cos(beta), latGiven, delta);
            const double lonGiven = GreatCircle::WrappedLongitude(3.1 - step * 0.039, delta);
            SCOPED_TRACE(testing::Message() << "rho " << rho << " beta " << beta);
            EXPECT_EQ(lat, latGiven);
            EXPECT_EQ(lon, lonGiven);
        }
}

} // namespace
