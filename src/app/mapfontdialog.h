// MapFontDialog: the settings dialog's choice of the map's lettering font. The map draws city names
// a few pixels high, so only sizes from 5 to 10 points are offered, with the styles the settings
// file stores (bold, italic, underline). A face that is not installed is shown as the face the map
// really draws with in its place. Families are listed by their plain names: a family two foundries
// provide is one entry, without the toolkit's "[foundry]" tag, and the plain name is what is stored.
#pragma once

#include "app/settingsmodel.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;

// family without a trailing foundry tag: "C059 [UKWN]" → "C059"; other names as they are.
QString FamilyWithoutFoundry(const QString& family);
// The installed families by plain name, each once, sorted as the toolkit lists them.
QStringList PlainFontFamilies();

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

    QComboBox* m_face = nullptr;
    QComboBox* m_size = nullptr;
    QCheckBox* m_bold = nullptr;
    QCheckBox* m_italic = nullptr;
    QCheckBox* m_underline = nullptr;
    QLabel* m_sample = nullptr;
};
