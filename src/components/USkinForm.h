// The skin of a frameless window: a picture that covers its form, gives the form the picture's size
// and the outline held in its mask, and moves the form when the picture is dragged with the left
// button. It knows nothing of what the form shows; the form's other controls lie on top of it. The
// region codec (USkinEd) and the drag rule (skindrag) are the core's; this widget binds them.
#pragma once

#include "components/USkinEd.h"
#include "components/skindrag.h"

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>
#include <span>

class QMouseEvent;

// The message of the exception thrown when a skin is given a parent that is not a top-level window.
inline constexpr const char* kNotOnFormMessage = "Please Drop on a Form";

class TSkinForm final : public QWidget {
    Q_OBJECT
public:
    // A skin on form (see SetParent), empty, moveable, drawn transparently, with an empty mask.
    explicit TSkinForm(QWidget* form);
    ~TSkinForm() override;

    // Puts the skin in parent, then checks it: a parent that is not a top-level window throws
    // std::invalid_argument(kNotOnFormMessage), the skin staying where it was put; a top-level one
    // loses its frame and caption. nullptr only takes the skin out.
    void SetParent(QWidget* parent);

    // Takes the picture from the bytes of a BMP file. Anything else leaves an empty picture; an empty
    // picture leaves the form's size as it is, any other gives the form's client area its size.
    void LoadPicture(std::span<const std::uint8_t> bmp);
    // Takes a picture prepared as a transparent skin draws it (components/skinpicture.h): premultiplied
    // ARGB32, the pixels of key already cleared. It may wrap read-only data: it is copied only should
    // transparency be turned off.
    void UsePreparedPicture(const QImage& picture, QRgb key);
    // The picture as drawn: when transparent, its pixels of the key colour have alpha 0.
    const QImage& Picture() const { return m_picture; }

    // When set, the pixels of the colour of the picture's bottom-left pixel are not drawn.
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool transparent);
    // Whether a left drag moves the form.
    bool Moveable() const { return m_moveable; }
    void SetMoveable(bool moveable) { m_moveable = moveable; }

    // The held shape. Fill it (ReadData) and call Loaded, or write a new one with SetMask.
    TSkinRegion* Mask() const { return m_mask.get(); }
    // Holds mask from now on and applies it; nullptr only applies the held shape again.
    void SetMask(std::unique_ptr<TSkinRegion> mask);
    // Gives the form's window the held shape; an empty one leaves it rectangular.
    void ApplyRegion();
    // Loading of the form has finished: the shape is applied.
    void Loaded() { ApplyRegion(); }

    // Where the last button went down, in the skin's pixels.
    int DownX() const { return m_drag.DownX(); }
    int DownY() const { return m_drag.DownY(); }

    // The owner's handlers, run for every press and move on the skin, before any drag.
    std::function<void(QMouseEvent*)> OnMouseDown;
    std::function<void(QMouseEvent*)> OnMouseMove;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void SkinPictureChanged();
    void ApplyTransparency();
    void FillParent();

    bool m_moveable = true;
    bool m_transparent = true;
    SkinDrag m_drag;
    bool m_systemMoving = false; // the window system's own move runs for the present press
    std::unique_ptr<TSkinRegion> m_mask = std::make_unique<TSkinRegion>();
    // One picture only (it is the window's size): the key colour's pixels are cleared in it and put
    // back when transparency is turned off (so are pixels the picture itself left fully transparent;
    // a BMP skin has none).
    QImage m_picture;
    bool m_keyCleared = false;
    QRgb m_key = 0; // opaque
};

// The buttons and modifiers of a Qt mouse event, as the drag rule takes them.
SkinShiftState SkinShiftOf(const QMouseEvent& event);
