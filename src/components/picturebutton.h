// A flat button that is only its picture: the window's small minimize and close buttons and the
// clickable images beside the map. It shows a hand cursor and a hint, and is drawn a shade lighter
// while pressed.
#pragma once

#include <QAbstractButton>
#include <QPixmap>

class PictureButton final : public QAbstractButton {
    Q_OBJECT
public:
    PictureButton(QWidget* parent, const QRect& place, const QPixmap& picture, const QString& hint);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
};
