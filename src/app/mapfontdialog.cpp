#include "app/mapfontdialog.h"

#include "platform/qt/qttextrenderer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QCheckBox* StyleBox(const QString& caption, QWidget* parent)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QStringLiteral("cb") + caption);
    box->setAccessibleName(caption);
    return box;
}

} // namespace

QString FamilyWithoutFoundry(const QString& family)
{
    const qsizetype open = family.lastIndexOf(QStringLiteral(" ["));
    if (open <= 0 || !family.endsWith(QLatin1Char(']')))
        return family;
    return family.left(open);
}

QStringList PlainFontFamilies()
{
    QStringList families;
    for (const QString& family : QFontDatabase::families())
        if (const QString plain = FamilyWithoutFoundry(family); !families.contains(plain))
            families.append(plain);
    return families;
}

MapFontDialog::MapFontDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Font"));
    setObjectName(QStringLiteral("MapFontDialog"));

    m_face = new QComboBox(this);
    m_face->setObjectName(QStringLiteral("cbFontFace"));
    m_face->setAccessibleName(tr("Font"));
    m_face->addItems(PlainFontFamilies());
    m_size = new QComboBox(this);
    m_size->setObjectName(QStringLiteral("cbFontSize"));
    m_size->setAccessibleName(tr("Size"));
    for (int points = kMinMapFontPoints; points <= kMaxMapFontPoints; ++points)
        m_size->addItem(QString::number(points), points);
    m_bold = StyleBox(tr("Bold"), this);
    m_italic = StyleBox(tr("Italic"), this);
    m_underline = StyleBox(tr("Underline"), this);
    m_sample = new QLabel(QStringLiteral("London 12:00"), this);
    m_sample->setObjectName(QStringLiteral("lbSample"));
    m_sample->setAccessibleName(tr("Sample"));
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setMinimumHeight(40);
    m_sample->setStyleSheet(QStringLiteral("background: black; color: aqua;"));

    auto* styles = new QHBoxLayout;
    styles->addWidget(m_bold);
    styles->addWidget(m_italic);
    styles->addWidget(m_underline);
    auto* form = new QFormLayout;
    form->addRow(tr("&Font:"), m_face);
    form->addRow(tr("&Size:"), m_size);
    form->addRow(tr("Style:"), styles);
    form->addRow(tr("Sample:"), m_sample);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(m_face, &QComboBox::currentIndexChanged, this, &MapFontDialog::ShowSample);
    connect(m_size, &QComboBox::currentIndexChanged, this, &MapFontDialog::ShowSample);
    for (QCheckBox* box : {m_bold, m_italic, m_underline})
        connect(box, &QCheckBox::toggled, this, &MapFontDialog::ShowSample);
}

void MapFontDialog::SetMapFont(const MapFontChoice& font)
{
    // The face the map draws with: the stored one, or its stand-in where that is not installed.
    const QFont drawn = QtTextRenderer::ResolveFont(font);
    m_face->setCurrentIndex(std::max(0, m_face->findText(FamilyWithoutFoundry(drawn.family()))));
    m_size->setCurrentIndex(std::clamp(font.points, kMinMapFontPoints, kMaxMapFontPoints) - kMinMapFontPoints);
    m_bold->setChecked(font.style.bold);
    m_italic->setChecked(font.style.italic);
    m_underline->setChecked(font.style.underline);
    ShowSample();
}

MapFontChoice MapFontDialog::MapFont() const
{
    MapFontChoice font;
    font.face = m_face->currentText().toStdString();
    font.points = m_size->currentData().toInt();
    font.style = FontStyle{m_bold->isChecked(), m_italic->isChecked(), m_underline->isChecked()};
    return font;
}

void MapFontDialog::ShowSample()
{
    const MapFontChoice font = MapFont();
    m_sample->setFont(QtTextRenderer::ResolveFont(font));
}
