// MapFontDialog: the settings dialog's choice of the map's lettering font. The map draws city names
// a few pixels high, so only sizes from 5 to 10 points are offered, with the styles the settings
// file stores (bold, italic, underline). A face that is not installed is shown as the face the map
// really draws with in its place.
#pragma once

#include "app/settingsmodel.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QLabel;

class MapFontDialog final : public QDialog {
    Q_OBJECT
public:
    explicit MapFontDialog(QWidget* parent);

    // Shows font; a size outside 5..10 points shows as the nearest size offered.
    void SetMapFont(const MapFontChoice& font);
    // The font chosen.
    MapFontChoice MapFont() const;

private:
    void ShowSample();

    QFontComboBox* m_face = nullptr;
    QComboBox* m_size = nullptr;
    QCheckBox* m_bold = nullptr;
    QCheckBox* m_italic = nullptr;
    QCheckBox* m_underline = nullptr;
    QLabel* m_sample = nullptr;
};
