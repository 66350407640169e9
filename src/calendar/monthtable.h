// MonthTable: one month of the year calendar as assistive technology meets it. The calendar paints
// its days itself; this invisible widget lies over one month's days and gives a screen reader the
// month as a table: a column for each weekday (headed by its name), a row for each week (headed
// "Week 1"…), a cell for each day named by its number, today's marked "(today)".
#pragma once

#include "calendar/calendarlayout.h"

#include <QWidget>

class MonthTable final : public QWidget {
    Q_OBJECT
public:
    // names: the weekday names of the column headers. cell: one day's cell in the widget's pixels,
    // the column and week rows starting at (0, 0).
    MonthTable(QWidget* parent, int month, const CalendarNames& names, QSize cell);

    // Shows month of year; today is marked when it falls in it.
    void ShowYear(int year, CalendarDay today);

    int Year() const { return m_year; }
    int Month() const { return m_month; }
    int Weeks() const { return WeeksInMonth(m_year, m_month); }
    // The texts of the table: its name ("February 2028"), a cell's, and the headers'.
    QString TableName() const;
    QString CellName(int row, int column) const;
    QString ColumnName(int column) const;
    QString RowName(int row) const;
    // A cell's place in the widget's pixels.
    QRect CellRect(int row, int column) const;

private:
    int m_month;
    int m_year = kFirstCalendarYear;
    CalendarDay m_today;
    const CalendarNames& m_names;
    QSize m_cell;
};
