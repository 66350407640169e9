#include "components/skindrag.h"

void SkinDrag::MouseDown(int x, int y)
{
    m_downX = x;
    m_downY = y;
}

std::optional<SkinOffset> SkinDrag::MouseMove(SkinShiftState shift, int x, int y, bool moveable) const
{
    if (!moveable || shift != kLeftButton)
        return std::nullopt;
    return SkinOffset{x - m_downX, y - m_downY};
}
