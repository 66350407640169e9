#include "calendar/calendarlayout.h"

#include <algorithm>

namespace {

// Draws text centred on x, its top at y.
void CentredOut(CalendarCanvas& canvas, int x, int y, const std::string& text)
{
    canvas.TextOut(x - canvas.TextWidth(text) / 2, y, text);
}

} // namespace

int CalendarYearOf(TDateTime now)
{
    return std::clamp(DecodeDate(now).year, kFirstCalendarYear, kLastCalendarYear);
}

int PagedCalendarYear(int year, int step)
{
    const long long paged = static_cast<long long>(year) + step;
    return paged < kFirstCalendarYear || paged > kLastCalendarYear ? year : static_cast<int>(paged);
}

std::string FirstCharacters(const std::string& text, int count)
{
    size_t end = 0;
    for (int taken = 0; end < text.size() && taken < count; ++taken) {
        ++end;
        // Continuation bytes (10xxxxxx) belong to the character before them.
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
    }
    return text.substr(0, end);
}

CalendarNames ReadCalendarNames(const LocaleFormats& formats)
{
    CalendarNames names;
    for (int month = 1; month <= 12; ++month)
        names.months[static_cast<size_t>(month - 1)] = formats.LongMonthName(month);
    for (int day = 1; day <= 7; ++day)
    {
        names.spokenWeekdays[static_cast<size_t>(day - 1)] = formats.ShortDayName(day);
        names.weekdays[static_cast<size_t>(day - 1)] = FirstCharacters(formats.ShortDayName(day), 2);
    }
    return names;
}

CalendarDay CalendarDayOf(TDateTime now)
{
    const auto date = DecodeDate(now);
    return {date.year, date.month, date.day};
}

namespace {

// The column (0 = Sunday) of the month's first day.
int FirstColumn(int year, int month)
{
    return DayOfWeek(EncodeDate(year, month, 1)) - 1;
}

} // namespace

int WeeksInMonth(int year, int month)
{
    return (FirstColumn(year, month) + DaysInMonth(year, month) + 6) / 7;
}

int DayInCell(int year, int month, int row, int column)
{
    const int day = row * 7 + column - FirstColumn(year, month) + 1;
    return column >= 0 && column < 7 && day >= 1 && day <= DaysInMonth(year, month) ? day : 0;
}

CalendarGrid GridFromLabels(const CalendarCanvas& canvas)
{
    const LabelPlace first = canvas.MonthLabel(1);
    return {first.left, first.top + first.height, canvas.MonthLabel(2).left - first.left,
            canvas.MonthLabel(5).top - first.top};
}

void DrawYear(CalendarCanvas& canvas, int year, const CalendarNames& names, CalendarDay today)
{
    canvas.SetYearCaption(std::to_string(year));
    for (int month = 1; month <= 12; ++month)
        canvas.SetMonthCaption(month, names.months[static_cast<size_t>(month - 1)]);
    // No date of another year can be formed; its captions are all there is to show.
    if (year < kFirstCalendarYear || year > kLastCalendarYear)
        return;
    const CalendarGrid grid = GridFromLabels(canvas);
    for (int month = 1; month <= 12; ++month)
        DrawMonth(canvas, grid, month, year, names, today);
}

void DrawMonth(CalendarCanvas& canvas, const CalendarGrid& grid, int month, int year, const CalendarNames& names,
               CalendarDay today)
{
    const int left = grid.left + (month - 1) % 4 * grid.columnPitch;
    const int top = grid.top + (month - 1) / 4 * grid.rowPitch;
    const int cellWidth = grid.columnPitch / 8;
    const int cellHeight = grid.rowPitch / 8;
    const int firstX = left + cellWidth / 2;

    canvas.SetBold(true);
    int x = firstX;
    int y = top + 2;
    for (const std::string& weekday : names.weekdays) {
        CentredOut(canvas, x, y, weekday);
        x += cellWidth;
    }

    canvas.SetBold(false);
    y += cellHeight;
    // Weeks begin on Sunday (1) whatever the locale says.
    const int firstWeekday = DayOfWeek(EncodeDate(year, month, 1));
    const int days = DaysInMonth(year, month);
    x = firstX + (firstWeekday - 1) * cellWidth;
    for (int day = 1; day <= days; ++day) {
        if (day > 1 && (firstWeekday - 1 + day - 1) % 7 == 0) {
            y += cellHeight;
            x = firstX;
        }
        if (today == CalendarDay{year, month, day})
            canvas.MarkDay(x - cellWidth / 2, y, cellWidth, cellHeight);
        CentredOut(canvas, x, y, std::to_string(day));
        x += cellWidth;
    }
}
