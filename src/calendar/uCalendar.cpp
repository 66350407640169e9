#include "calendar/uCalendar.h"

#include "components/fixeddialog.h"
#include "calendar/monthtable.h"
#include "components/picturebutton.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr QSize kClientSize(576, 405);

QFont ArialFont(int pixels, bool bold, bool italic = false)
{
    // Liberation Sans has Arial's metrics where Arial itself is missing.
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QLabel* CaptionLabel(QWidget* parent, const QRect& place, const QFont& font, const QColor& color)
{
    auto* label = new QLabel(parent);
    label->setGeometry(place);
    label->setFont(font);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

// A 32 × 32 grey button with a black triangle pointing left (direction -1) or right (+1).
QPixmap ArrowPicture(int direction)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(96, 96, 96));
    p.drawRoundedRect(QRectF(2, 2, 28, 28), 4, 4);
    p.setBrush(QColor(236, 236, 236));
    p.drawRoundedRect(QRectF(2, 2, 26.5, 26.5), 4, 4);
    p.setBrush(QColor(192, 192, 192));
    p.drawRoundedRect(QRectF(3.5, 3.5, 25, 25), 3, 3);
    QPainterPath triangle;
    const double tip = direction < 0 ? 9 : 23;
    const double base = direction < 0 ? 20 : 12;
    triangle.moveTo(tip, 16);
    triangle.lineTo(base, 9);
    triangle.lineTo(base, 23);
    triangle.closeSubpath();
    p.setBrush(Qt::black);
    p.drawPath(triangle);
    return pixmap;
}

// The window's own canvas and labels, as the layout asks for them.
class FormCanvas final : public CalendarCanvas {
public:
    FormCanvas(QPainter& painter, const std::array<QLabel*, 12>& months, QLabel* year)
        : m_painter(painter), m_months(months), m_year(year)
    {
        m_painter.setPen(Qt::black);
        m_painter.setBackgroundMode(Qt::TransparentMode);
    }

    LabelPlace MonthLabel(int month) const override
    {
        const QRect place = Label(month)->geometry();
        return {place.left(), place.top(), place.width(), place.height()};
    }
    void SetYearCaption(const std::string& text) override
    {
        SetCaption(m_year, text);
        // Its black shadow, two pixels right and down, is painted under it: a second label would
        // give a screen reader the year twice.
        m_painter.save();
        m_painter.setFont(m_year->font());
        m_painter.drawText(m_year->geometry().translated(2, 2), Qt::AlignHCenter | Qt::AlignTop, m_year->text());
        m_painter.restore();
    }
    void SetMonthCaption(int month, const std::string& text) override { SetCaption(Label(month), text); }
    void SetBold(bool bold) override
    {
        QFont font = m_painter.font();
        font.setBold(bold);
        m_painter.setFont(font);
    }
    int TextWidth(const std::string& text) override
    {
        return m_painter.fontMetrics().horizontalAdvance(QString::fromStdString(text));
    }
    void TextOut(int x, int y, const std::string& text) override
    {
        m_painter.drawText(x, y + m_painter.fontMetrics().ascent(), QString::fromStdString(text));
    }
    void MarkDay(int x, int y, int width, int height) override
    {
        // The read-out's aqua behind the number, ringed in dark blue.
        m_painter.save();
        m_painter.setRenderHint(QPainter::Antialiasing);
        m_painter.setPen(QPen(QColor(0, 0, 128), 1.2));
        m_painter.setBrush(QColor(128, 255, 255));
        m_painter.drawRoundedRect(QRectF(x + 0.5, y - 0.5, width - 1, height), 4, 4);
        m_painter.restore();
    }

private:
    QLabel* Label(int month) const { return m_months[static_cast<size_t>(month - 1)]; }
    // An unchanged caption is not set again, so painting does not ask for another paint.
    static void SetCaption(QLabel* label, const std::string& text)
    {
        const QString caption = QString::fromStdString(text);
        if (label->text() != caption)
            label->setText(caption);
    }

    QPainter& m_painter;
    const std::array<QLabel*, 12>& m_months;
    QLabel* m_year;
};

} // namespace

TcvCalendar::TcvCalendar(const LocalClock& clock, const LocaleFormats& formats, QWidget* parent)
    : QDialog(parent), m_names(ReadCalendarNames(formats))
{
    setObjectName(QStringLiteral("cvCalendar"));
    setWindowTitle(tr("Chronivo - Calendar"));
    MakeFixedDialog(*this, kClientSize);
    setFont(ArialFont(9, false));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    setPalette(palette);
    setAutoFillBackground(true);
    CreateComponents();
    FormCreate(clock);

    CentreOnScreen(*this);
}

void TcvCalendar::CreateComponents()
{
    const QFont monthFont = ArialFont(13, true);
    for (int n = 1; n <= 12; ++n) {
        const int column = (n - 1) % 4;
        const int row = (n - 1) / 4;
        QLabel* label = CaptionLabel(this, QRect(8 + 144 * column, 32 + 120 * row, 137, 16), monthFont, Qt::black);
        label->setObjectName(QStringLiteral("Label%1").arg(n));
        m_monthLabels[static_cast<size_t>(n - 1)] = label;
    }
    // The month tables a screen reader reads, over the days the layout paints in cells of 18 × 15
    // pixels, below each month's label.
    for (int n = 1; n <= 12; ++n) {
        const QRect label = m_monthLabels[static_cast<size_t>(n - 1)]->geometry();
        auto* table = new MonthTable(this, n, m_names, QSize(18, 15));
        table->move(label.left(), label.bottom() + 1 + 2);
        m_monthTables[static_cast<size_t>(n - 1)] = table;
    }
    // The aqua year over its black shadow, two pixels right and down.
    const QFont yearFont = ArialFont(32, true, true);
    m_lbYear = CaptionLabel(this, QRect(238, -2, 110, 32), yearFont, Qt::cyan);
    m_lbYear->setObjectName(QStringLiteral("lbYear"));

    m_leftBtn = new PictureButton(this, QRect(208, 0, 32, 32), ArrowPicture(-1), tr("Previous year"));
    m_leftBtn->setObjectName(QStringLiteral("LeftBtn"));
    m_leftBtn->setAccessibleName(tr("Previous year"));
    m_rightbtn = new PictureButton(this, QRect(352, 0, 32, 32), ArrowPicture(+1), tr("Next year"));
    m_rightbtn->setObjectName(QStringLiteral("Rightbtn"));
    m_rightbtn->setAccessibleName(tr("Next year"));
    connect(m_leftBtn, &QAbstractButton::clicked, this, &TcvCalendar::LeftBtnClick);
    connect(m_rightbtn, &QAbstractButton::clicked, this, &TcvCalendar::RightbtnClick);
}

void TcvCalendar::FormCreate(const LocalClock& clock)
{
    m_today = CalendarDayOf(clock.Now());
    m_calendarYear = CalendarYearOf(clock.Now());
    YearShown();
}

void TcvCalendar::YearShown()
{
    // At the first and the last year the arrow that would leave them is greyed out and Tab passes it.
    m_leftBtn->setEnabled(PagedCalendarYear(m_calendarYear, -1) != m_calendarYear);
    m_rightbtn->setEnabled(PagedCalendarYear(m_calendarYear, +1) != m_calendarYear);
    for (MonthTable* table : m_monthTables)
        table->ShowYear(m_calendarYear, m_today);
}

void TcvCalendar::LeftBtnClick()
{
    PageYear(-1);
}

void TcvCalendar::RightbtnClick()
{
    PageYear(+1);
}

void TcvCalendar::PageYear(int step)
{
    const int year = PagedCalendarYear(m_calendarYear, step);
    if (year == m_calendarYear)
        return;
    m_calendarYear = year;
    YearShown();
    update();
}

void TcvCalendar::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_PageUp:
        LeftBtnClick();
        break;
    case Qt::Key_Right:
    case Qt::Key_PageDown:
        RightbtnClick();
        break;
    default:
        // Escape closes the dialog.
        QDialog::keyPressEvent(event);
    }
}

void TcvCalendar::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setFont(font());
    FormCanvas canvas(painter, m_monthLabels, m_lbYear);
    DrawYear(canvas, m_calendarYear, m_names, m_today);
}
