// The drag rule of the skinned window: where a mouse button went down on the skin, and how far the
// window moves when the mouse moves. Only the left button alone, with none of Shift, Ctrl or Alt,
// drags, and only while the skin is moveable; any button records where it went down. The window
// follows the pointer, so the grabbed point stays under it.
#pragma once

#include <cstdint>
#include <optional>

// The buttons and modifier keys held during a mouse event.
enum SkinShift : std::uint8_t {
    kShiftKey = 1 << 0,
    kAltKey = 1 << 1,
    kCtrlKey = 1 << 2,
    kLeftButton = 1 << 3,
    kRightButton = 1 << 4,
    kMiddleButton = 1 << 5,
};
using SkinShiftState = std::uint8_t;

struct SkinOffset {
    int dx = 0;
    int dy = 0;
    bool operator==(const SkinOffset&) const = default;
};

class SkinDrag {
public:
    // A button went down at (x, y), in the skin's own pixels.
    void MouseDown(int x, int y);
    // The mouse is at (x, y) in the skin's own pixels with shift held: the distance the window must
    // move, or nothing when this move does not drag.
    std::optional<SkinOffset> MouseMove(SkinShiftState shift, int x, int y, bool moveable) const;

    int DownX() const { return m_downX; }
    int DownY() const { return m_downY; }

private:
    std::int32_t m_downX = 0;
    std::int32_t m_downY = 0;
};
