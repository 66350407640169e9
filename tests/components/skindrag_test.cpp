// The drag rule of the skin: only the left button alone moves the window, by how far the pointer went
// from where it was pressed; every button records where it was pressed.
#include "components/skindrag.h"
#include "support/casename.h"

#include <gtest/gtest.h>

namespace {

struct ButtonCase {
    const char* name;
    SkinShiftState shift;
    bool moves;
};

void PrintTo(const ButtonCase& c, std::ostream* out)
{
    *out << c.name;
}

class SkinDragButtons : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(SkinDragButtons, OnlyTheLeftButtonAloneDragsAndOnlyWhileMoveable)
{
    const ButtonCase& c = GetParam();
    SkinDrag drag;
    drag.MouseDown(20, 100);
    const auto offset = drag.MouseMove(c.shift, 80, 140, true);
    EXPECT_EQ(offset.has_value(), c.moves);
    if (offset) {
        EXPECT_EQ(*offset, (SkinOffset{60, 40}));
    }
    EXPECT_FALSE(drag.MouseMove(c.shift, 80, 140, false).has_value());
}

INSTANTIATE_TEST_SUITE_P(SkinDrag, SkinDragButtons,
                         ::testing::Values(ButtonCase{"left", kLeftButton, true}, ButtonCase{"no button", 0, false},
                                           ButtonCase{"right", kRightButton, false},
                                           ButtonCase{"middle", kMiddleButton, false},
                                           ButtonCase{"left and right", kLeftButton | kRightButton, false},
                                           ButtonCase{"left and middle", kLeftButton | kMiddleButton, false},
                                           ButtonCase{"Shift and left", kShiftKey | kLeftButton, false},
                                           ButtonCase{"Ctrl and left", kCtrlKey | kLeftButton, false},
                                           ButtonCase{"Alt and left", kAltKey | kLeftButton, false},
                                           ButtonCase{"Shift alone", kShiftKey, false}),
                         NameOfCase{});

TEST(SkinDrag, AnyButtonRecordsThePressAndMovesKeepIt)
{
    SkinDrag drag;
    drag.MouseDown(7, 9); // say, with the right button
    EXPECT_EQ(drag.DownX(), 7);
    EXPECT_EQ(drag.DownY(), 9);
    // The window follows the pointer, so the next move is measured from the same press point.
    EXPECT_EQ(drag.MouseMove(kLeftButton, 2, 19, true), (SkinOffset{-5, 10}));
    EXPECT_EQ(drag.MouseMove(kLeftButton, 7, 9, true), (SkinOffset{0, 0}));
    EXPECT_EQ(drag.DownX(), 7);
    EXPECT_EQ(drag.DownY(), 9);
}

} // namespace
