// A flat button that is only its picture: the window's small minimize and close buttons and the
// clickable images beside the map. It shows a hand cursor and a hint, and is drawn a shade lighter
// while pressed and greyed while disabled. Tab reaches it (a click does not take the focus), a thin
// aqua frame marks it while focused from the keyboard, and Space or Return presses it.
#pragma once

#include <QAbstractButton>
#include <QKeySequence>
#include <QPixmap>

class PictureButton final : public QAbstractButton {
    Q_OBJECT
public:
    // shortcut, when given, presses the button from anywhere in its window and is named in the hint.
    PictureButton(QWidget* parent, const QRect& place, const QPixmap& picture, const QString& hint,
                  const QKeySequence& shortcut = {});

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPixmap m_picture;
};

class QPainter;
// Pictures drawn at a fractional device-pixel ratio (1.25, 1.5) are smoothed: nearest-neighbour
// scaling would make some picture pixels one screen pixel wide and others two. Whole ratios keep
// their sharp 2 × 2 blocks.
void SmoothAtFractionalScale(QPainter& painter, qreal devicePixelRatio);
