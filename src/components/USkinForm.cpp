#include "components/USkinForm.h"

#include "components/picturebutton.h"
#include "components/skinpicture.h"
#include "platform/qt/qtwindowplacing.h"
#include "platform/windowregion.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QWindow>
#include <stdexcept>

namespace {

QRegion ToQRegion(const TSkinRegion& region)
{
    // A union rather than QRegion::setRects: stored rectangles need not be in the banded order
    // setRects demands.
    QRegion out;
    for (const SkinRect& r : region.Rects())
        out += QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
    return out;
}

} // namespace

SkinShiftState SkinShiftOf(const QMouseEvent& event)
{
    SkinShiftState shift = 0;
    const Qt::MouseButtons buttons = event.buttons();
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (buttons & Qt::LeftButton)
        shift |= kLeftButton;
    if (buttons & Qt::RightButton)
        shift |= kRightButton;
    if (buttons & Qt::MiddleButton)
        shift |= kMiddleButton;
    if (modifiers & Qt::ShiftModifier)
        shift |= kShiftKey;
    if (modifiers & Qt::ControlModifier)
        shift |= kCtrlKey;
    if (modifiers & Qt::AltModifier)
        shift |= kAltKey;
    return shift;
}

TSkinForm::TSkinForm(QWidget* form)
{
    setMouseTracking(true);
    SetParent(form);
}

TSkinForm::~TSkinForm() = default;

void TSkinForm::SetParent(QWidget* parent)
{
    if (QWidget* old = parentWidget())
        old->removeEventFilter(this);
    setParent(parent);
    if (!parent)
        return;
    parent->installEventFilter(this);
    FillParent();
    show();
    if (!parent->isWindow())
        throw std::invalid_argument(kNotOnFormMessage);
    // Changing the flags of a shown window hides it; a form that is frameless already is left alone.
    if (!parent->windowFlags().testFlag(Qt::FramelessWindowHint))
        parent->setWindowFlags(parent->windowFlags() | Qt::FramelessWindowHint);
}

void TSkinForm::LoadPicture(std::span<const std::uint8_t> bmp)
{
    m_picture = QImage();
    m_keyCleared = false;
    if (!bmp.empty())
        m_picture.loadFromData(bmp.data(), static_cast<int>(bmp.size()), "BMP");
    SkinPictureChanged();
}

void TSkinForm::UsePreparedPicture(const QImage& picture, QRgb key)
{
    m_picture = picture;
    m_key = key;
    m_keyCleared = true;
    SkinPictureChanged();
}

void TSkinForm::SkinPictureChanged()
{
    ApplyTransparency();
    update();
    if (m_picture.isNull())
        return;
    // The form is the picture's size and is not resized by anyone else: the shape fits only that.
    if (QWidget* form = parentWidget(); form && form->isWindow())
        form->setFixedSize(m_picture.size());
    FillParent();
}

void TSkinForm::SetTransparent(bool transparent)
{
    if (transparent == m_transparent)
        return;
    m_transparent = transparent;
    ApplyTransparency();
    update();
}

void TSkinForm::ApplyTransparency()
{
    if (m_picture.isNull() || m_keyCleared == m_transparent)
        return;
    // Premultiplied, the format the window's back buffer blends from directly: the other ARGB format
    // costs a conversion of every pixel at every paint.
    if (!m_keyCleared) {
        m_picture.convertTo(QImage::Format_ARGB32_Premultiplied);
        m_key = SkinKeyOf(m_picture);
    }
    const QRgb cleared = 0;
    ReplaceSkinPixels(m_picture, m_keyCleared ? cleared : m_key, m_keyCleared ? m_key : cleared);
    m_keyCleared = m_transparent;
}

void TSkinForm::SetMask(std::unique_ptr<TSkinRegion> mask)
{
    if (mask)
        m_mask = std::move(mask);
    ApplyRegion();
}

void TSkinForm::ApplyRegion()
{
    QWidget* form = parentWidget();
    if (!form || !form->isWindow())
        return;
    if (SetNativeWindowRegion(static_cast<std::uintptr_t>(form->winId()), m_mask->RegionData()))
        return;
    if (m_mask->Empty())
        form->clearMask();
    else
        form->setMask(ToQRegion(*m_mask));
}

void TSkinForm::FillParent()
{
    if (QWidget* parent = parentWidget())
        setGeometry(parent->rect());
}

bool TSkinForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        FillParent();
    return QWidget::eventFilter(watched, event);
}

void TSkinForm::paintEvent(QPaintEvent* /*event*/)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    SmoothAtFractionalScale(painter, devicePixelRatioF());
    painter.drawImage(0, 0, m_picture);
}

void TSkinForm::mousePressEvent(QMouseEvent* event)
{
    if (OnMouseDown)
        OnMouseDown(event);
    const QPoint at = event->position().toPoint();
    m_drag.MouseDown(at.x(), at.y());
    m_systemMoving = false;
    event->accept();
}

void TSkinForm::mouseMoveEvent(QMouseEvent* event)
{
    if (OnMouseMove)
        OnMouseMove(event);
    QWidget* form = parentWidget();
    if (!form || !form->isWindow())
        return;
    // The pointer's place against where the form is now, not where it was when the window system
    // made the event: moves sent while the form was still on its way would otherwise count twice.
    const QPoint at = mapFromGlobal(event->globalPosition().toPoint());
    const auto offset = m_drag.MouseMove(SkinShiftOf(*event), at.x(), at.y(), m_moveable);
    if (!offset)
        return;
    if (WindowSystemPlacesWindows()) {
        form->move(form->pos() + QPoint(offset->dx, offset->dy));
        return;
    }
    // Where the compositor alone moves windows, it is handed the drag once; it then follows the
    // pointer itself until the button is released.
    if (!m_systemMoving && form->windowHandle())
        m_systemMoving = form->windowHandle()->startSystemMove();
}
