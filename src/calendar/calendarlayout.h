// The year calendar's picture: twelve months, four across and three down, each a header of weekday
// names over its days in weeks that begin on Sunday. The calendar window supplies a small canvas
// (where its month labels stand, captions, text out); everything placed on it is worked out here,
// so where each text goes can be checked without a display.
#pragma once

#include "platform/localeformats.h"

#include <array>
#include <string>

// The years whose dates exist; a calendar never shows another.
constexpr int kFirstCalendarYear = 1;
constexpr int kLastCalendarYear = 9999;

// The year of the local date-time now, kept within the calendar's years.
int CalendarYearOf(TDateTime now);
// year paged by step years, or year itself when that would leave the calendar's years.
int PagedCalendarYear(int year, int step);

// Texts of the calendar: the full month names and the weekday headers, Sunday first, each the
// first two characters of the locale's abbreviated name; the abbreviated names whole, for the ear.
struct CalendarNames {
    std::array<std::string, 12> months;
    std::array<std::string, 7> weekdays;
    std::array<std::string, 7> spokenWeekdays;
};
CalendarNames ReadCalendarNames(const LocaleFormats& formats);
// The first count characters (not bytes) of UTF-8 text.
std::string FirstCharacters(const std::string& text, int count);

// A day of the calendar; the default is no day at all.
struct CalendarDay {
    int year = 0;
    int month = 0;
    int day = 0;
    bool operator==(const CalendarDay&) const = default;
};
// The local date of now, as the calendar marks it.
CalendarDay CalendarDayOf(TDateTime now);

// The weeks (rows, Sunday first) month 1…12 of year spans: 4 to 6.
int WeeksInMonth(int year, int month);
// The day in week row 0… and weekday column 0 (Sunday)…6 of the month; 0 where the cell is empty.
int DayInCell(int year, int month, int row, int column);

// A label's place in client pixels.
struct LabelPlace {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Where the day grids stand: the first month's top-left corner and the pitch from one month to
// the next across and down, pixels. Each is taken from the month labels at every paint.
struct CalendarGrid {
    int left = 0;
    int top = 0;
    int columnPitch = 0;
    int rowPitch = 0;
};

// The calendar window as the layout sees it.
class CalendarCanvas {
public:
    virtual ~CalendarCanvas() = default;
    // Where month label 1…12 stands.
    virtual LabelPlace MonthLabel(int month) const = 0;
    // Sets the year and its shadow to text.
    virtual void SetYearCaption(const std::string& text) = 0;
    // Sets month label 1…12 to text; a label that already shows it is left alone.
    virtual void SetMonthCaption(int month, const std::string& text) = 0;
    // Further text is black in the window's font, bold or regular, drawn without a background.
    virtual void SetBold(bool bold) = 0;
    // Advance width of text in the current font, pixels.
    virtual int TextWidth(const std::string& text) = 0;
    // Draws text with the top-left corner of its line at (x, y).
    virtual void TextOut(int x, int y, const std::string& text) = 0;
    // Marks the cell of today, its top-left corner at (x, y), before its number is drawn.
    virtual void MarkDay(int /*x*/, int /*y*/, int /*width*/, int /*height*/) {}
};

// The grid under the month labels: the first label's bottom-left corner, and the steps from label 1
// to label 2 (across) and to label 5 (down).
CalendarGrid GridFromLabels(const CalendarCanvas& canvas);
// Captions of the year and the months, then the twelve months of year. A year outside the
// calendar's years gets its captions and no days. The cell of today, when shown, is marked.
void DrawYear(CalendarCanvas& canvas, int year, const CalendarNames& names, CalendarDay today = {});
// Month 1…12 of year: its weekday header and its days, in cells of an eighth of the pitches.
void DrawMonth(CalendarCanvas& canvas, const CalendarGrid& grid, int month, int year, const CalendarNames& names,
               CalendarDay today = {});
