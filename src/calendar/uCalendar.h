// The year calendar window: a modal 576 × 405 dialog showing the twelve months of one year, with
// arrows to page a year back or forward. It opens on the current year of the clock it is given;
// what it paints is laid out by calendarlayout, this class only carries it onto its labels and canvas.
#pragma once

#include "calendar/calendarlayout.h"
#include "platform/localclock.h"

#include <QDialog>
#include <array>

class QLabel;
class MonthTable;
class PictureButton;

class TcvCalendar final : public QDialog {
    Q_OBJECT
public:
    // clock gives the year to open on, formats the month and weekday names; both are read here only.
    TcvCalendar(const LocalClock& clock, const LocaleFormats& formats, QWidget* parent);

    // The year shown, 1…9999.
    int CalendarYear() const { return m_calendarYear; }

    // Published handlers, named after their components and events.
    void LeftBtnClick();
    void RightbtnClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateComponents();
    void FormCreate(const LocalClock& clock);
    void PageYear(int step);
    // The arrows and the month tables follow the year shown.
    void YearShown();

    int m_calendarYear = kFirstCalendarYear;
    CalendarNames m_names;
    std::array<QLabel*, 12> m_monthLabels{};
    std::array<MonthTable*, 12> m_monthTables{};
    CalendarDay m_today; // marked when its year is shown
    QLabel* m_lbYear = nullptr;
    PictureButton* m_leftBtn = nullptr;
    PictureButton* m_rightbtn = nullptr;
};
