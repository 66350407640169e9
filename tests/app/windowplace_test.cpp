// Where the main window opens: the saved place when its top strip can be taken hold of, else inside
// the nearest screen.
#include "app/windowplace.h"

#include "support/casename.h"

#include <gtest/gtest.h>

namespace {

const PlaceRect kWindow{0, 0, 409, 225};
const PlaceRect kGrip{118, 0, 290, 35};
const PlaceRect kScreen{0, 0, 1024, 740}; // a panel takes the bottom 28 rows
const PlaceRect kRightScreen{1024, 0, 1920, 1080};

struct Case {
    const char* name;
    PlacePoint saved;
    std::vector<PlaceRect> screens;
    PlacePoint expected;
};

class WindowPlaceCases : public ::testing::TestWithParam<Case> {};

TEST_P(WindowPlaceCases, SavedPlaceKeptWhileItsGripIsOnAScreenElseMovedIntoTheNearest)
{
    const Case& c = GetParam();
    EXPECT_EQ(PlaceOnScreen(c.saved, kWindow, kGrip, c.screens), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    WindowPlace, WindowPlaceCases,
    ::testing::Values(
        Case{"the corner", {0, 0}, {kScreen}, {0, 0}},
        Case{"the left part off the screen, the grip on it", {-118, 300}, {kScreen}, {-118, 300}},
        Case{"the lower part under the panel", {300, 700}, {kScreen}, {300, 700}},
        Case{"the close button off the right edge", {700, 10}, {kScreen}, {615, 10}},
        Case{"above the top", {100, -1}, {kScreen}, {100, 0}},
        Case{"saved on a larger screen", {5000, 5000}, {kScreen}, {615, 515}},
        Case{"far up and left", {-3000, -3000}, {kScreen}, {0, 0}},
        Case{"across two screens, the grip whole on neither", {900, 100}, {kScreen, kRightScreen}, {615, 100}},
        Case{"on the second screen", {2000, 500}, {kScreen, kRightScreen}, {2000, 500}},
        Case{"below the second screen", {2500, 3000}, {kScreen, kRightScreen}, {2500, 855}},
        Case{"a screen smaller than the window", {50, 50}, {{0, 0, 300, 200}}, {0, 0}},
        Case{"no screen known", {5000, 5000}, {}, {5000, 5000}}),
    NameOfCase{});

} // namespace
