// The year calendar's layout, recorded through a canvas that keeps every text and where it went.
// Text widths are six pixels a character, so a text's centre is its left edge plus half its width.
#include "calendar/calendarlayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

namespace {

struct Placed {
    int centre;
    int top;
    std::string text;
    bool bold;
};

class RecordingCanvas final : public CalendarCanvas {
public:
    // The labels as the window stores them: 137 × 16 from (8, 32), 144 apart across, 120 down.
    RecordingCanvas() : RecordingCanvas(8, 32) {}
    RecordingCanvas(int left, int top)
    {
        for (int n = 1; n <= 12; ++n)
            m_labels[n - 1] = {left + 144 * ((n - 1) % 4), top + 120 * ((n - 1) / 4), 137, 16};
    }

    LabelPlace MonthLabel(int month) const override { return m_labels[month - 1]; }
    void SetYearCaption(const std::string& text) override { year = text; }
    void SetMonthCaption(int month, const std::string& text) override { months[month - 1] = text; }
    void SetBold(bool bold) override { m_bold = bold; }
    int TextWidth(const std::string& text) override
    {
        return 6 * static_cast<int>(std::count_if(text.begin(), text.end(), [](char c) {
                   return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
               }));
    }
    void TextOut(int x, int y, const std::string& text) override
    {
        texts.push_back({x + TextWidth(text) / 2, y, text, m_bold});
    }
    void MarkDay(int x, int y, int width, int /*height*/) override { marks.push_back({x + width / 2, y, {}, false}); }

    // The days drawn (the regular texts), in the order drawn.
    std::vector<Placed> Days() const
    {
        std::vector<Placed> days;
        std::copy_if(texts.begin(), texts.end(), std::back_inserter(days), [](const Placed& p) { return !p.bold; });
        return days;
    }

    std::string year;
    std::array<std::string, 12> months;
    std::vector<Placed> texts;
    std::vector<Placed> marks;

private:
    std::array<LabelPlace, 12> m_labels{};
    bool m_bold = false;
};

// One month drawn alone with the stored layout.
RecordingCanvas Month(int year, int month, const CalendarNames& names = ReadCalendarNames(FixedLocaleFormats()))
{
    RecordingCanvas canvas;
    DrawMonth(canvas, GridFromLabels(canvas), month, year, names);
    return canvas;
}

std::set<int> Rows(const std::vector<Placed>& days)
{
    std::set<int> rows;
    for (const Placed& day : days)
        rows.insert(day.top);
    return rows;
}

const std::vector<int> kJanuaryColumns{17, 35, 53, 71, 89, 107, 125};

TEST(CalendarLayout, JanuaryStandsWhereTheStoredLabelsPutIt)
{
    // 1 January 2022 was a Saturday: 31 days need six rows.
    const RecordingCanvas canvas = Month(2022, 1);
    std::vector<std::string> headerTexts;
    std::vector<int> headerCentres;
    for (const Placed& p : canvas.texts)
        if (p.bold) {
            EXPECT_EQ(p.top, 50);
            headerTexts.push_back(p.text);
            headerCentres.push_back(p.centre);
        }
    EXPECT_EQ(headerTexts, (std::vector<std::string>{"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"}));
    EXPECT_EQ(headerCentres, kJanuaryColumns);

    const std::vector<Placed> days = canvas.Days();
    ASSERT_EQ(days.size(), 31u);
    EXPECT_EQ(Rows(days), (std::set<int>{65, 80, 95, 110, 125, 140}));
    std::set<int> columns;
    for (const Placed& day : days)
        columns.insert(day.centre);
    EXPECT_EQ(columns, std::set<int>(kJanuaryColumns.begin(), kJanuaryColumns.end()));
}

TEST(CalendarLayout, FurtherMonthsMoveByAColumnAndARowOfLabels)
{
    // February 2022 (second column) and May 2022 (second row) begin on a Tuesday and a Sunday.
    const std::vector<Placed> february = Month(2022, 2).Days();
    EXPECT_EQ(february.front().centre, 53 + 144);
    EXPECT_EQ(february.front().top, 65);
    const std::vector<Placed> may = Month(2022, 5).Days();
    EXPECT_EQ(may.front().centre, 17);
    EXPECT_EQ(may.front().top, 65 + 120);
}

TEST(CalendarLayout, TheGridFollowsTheMonthLabels)
{
    RecordingCanvas canvas(20, 40);
    const CalendarGrid grid = GridFromLabels(canvas);
    EXPECT_EQ(grid.left, 20);
    EXPECT_EQ(grid.top, 56);
    EXPECT_EQ(grid.columnPitch, 144);
    EXPECT_EQ(grid.rowPitch, 120);
    DrawMonth(canvas, grid, 1, 2023, ReadCalendarNames(FixedLocaleFormats()));
    EXPECT_EQ(canvas.Days().front().centre, 29);
    EXPECT_EQ(canvas.Days().front().top, 73);
}

TEST(CalendarLayout, WeeksBeginOnSunday)
{
    // 1 January 2023 was a Sunday: the 1st in the first column, the 8th below it.
    const std::vector<Placed> sunday = Month(2023, 1).Days();
    EXPECT_EQ(sunday[0].centre, 17);
    EXPECT_EQ(sunday[7].centre, 17);
    EXPECT_EQ(sunday[7].top, 80);
    // 1 January 2022 was a Saturday: the 1st alone in its row, in the last column; the 2nd starts a row.
    const std::vector<Placed> saturday = Month(2022, 1).Days();
    EXPECT_EQ(saturday[0].centre, 125);
    EXPECT_EQ(saturday[0].top, 65);
    EXPECT_EQ(saturday[1].centre, 17);
    EXPECT_EQ(saturday[1].top, 80);
}

TEST(CalendarLayout, FebruaryFollowsTheGregorianLeapYears)
{
    const std::map<int, std::string> lastDay{{2000, "29"}, {2004, "29"}, {1900, "28"}, {2100, "28"}};
    for (const auto& [year, last] : lastDay) {
        SCOPED_TRACE(year);
        EXPECT_EQ(Month(year, 2).Days().back().text, last);
    }
}

TEST(CalendarLayout, MonthsTakeFourToSixRows)
{
    struct Case {
        int year, month;
        size_t rows;
    };
    // January 2022 and May 2021: 31 days from a Saturday; October 2021: 31 from a Friday;
    // September 2018: 30 from a Saturday; February 2026: 28 from a Sunday.
    for (const Case& c : {Case{2022, 1, 6}, Case{2021, 10, 6}, Case{2018, 9, 6}, Case{2026, 2, 4}, Case{2026, 12, 5}}) {
        SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month));
        EXPECT_EQ(Rows(Month(c.year, c.month).Days()).size(), c.rows);
    }
}

class GreekGermanFormats final : public LocaleFormats {
public:
    std::string LongDate(TDateTime) const override { return {}; }
    std::string ShortDate(TDateTime) const override { return {}; }
    std::string LongTime(TDateTime) const override { return {}; }
    std::string ShortTime(TDateTime) const override { return {}; }
    std::string LongMonthName(int month) const override { return month == 3 ? "März" : "Monat"; }
    std::string ShortDayName(int day) const override { return day == 1 ? "Κυρ" : "Mitt"; }
};

TEST(CalendarLayout, AnotherLocaleChangesTheCaptionsNotTheLayout)
{
    RecordingCanvas english;
    DrawYear(english, 2026, ReadCalendarNames(FixedLocaleFormats()));
    RecordingCanvas other;
    DrawYear(other, 2026, ReadCalendarNames(GreekGermanFormats()));

    EXPECT_EQ(english.months[2], "March");
    EXPECT_EQ(other.months[2], "März");
    ASSERT_EQ(other.texts.size(), english.texts.size());
    for (size_t i = 0; i < other.texts.size(); ++i) {
        EXPECT_EQ(other.texts[i].centre, english.texts[i].centre) << i;
        EXPECT_EQ(other.texts[i].top, english.texts[i].top) << i;
    }
    // Two characters of each abbreviation, however many bytes they take.
    EXPECT_EQ(other.texts[0].text, "Κυ");
    EXPECT_EQ(other.texts[1].text, "Mi");
}

TEST(CalendarLayout, CellsOfTheMonthTablesAndTodaysMark)
{
    // February 2028 begins on a Tuesday and has 29 days in five weeks; February 2026 fills four.
    EXPECT_EQ(WeeksInMonth(2028, 2), 5);
    EXPECT_EQ(WeeksInMonth(2026, 2), 4);
    EXPECT_EQ(WeeksInMonth(2026, 8), 6);
    const struct {
        int row, column, day;
    } cells[] = {{0, 1, 0}, {0, 2, 1}, {4, 2, 29}, {4, 3, 0}, {-1, 2, 0}, {0, 7, 0}};
    for (const auto& cell : cells)
        EXPECT_EQ(DayInCell(2028, 2, cell.row, cell.column), cell.day) << cell.row << ", " << cell.column;

    RecordingCanvas canvas;
    DrawYear(canvas, 2028, ReadCalendarNames(FixedLocaleFormats()), {2028, 2, 29});
    ASSERT_EQ(canvas.marks.size(), 1u);
    const auto day = std::find_if(canvas.texts.begin(), canvas.texts.end(), [&](const Placed& p) {
        return p.text == "29" && p.top == canvas.marks[0].top && p.centre == canvas.marks[0].centre;
    });
    EXPECT_NE(day, canvas.texts.end()) << "the mark lies under the 29th";
    RecordingCanvas otherYear;
    DrawYear(otherYear, 2027, ReadCalendarNames(FixedLocaleFormats()), {2028, 2, 29});
    EXPECT_TRUE(otherYear.marks.empty());
}

TEST(CalendarLayout, YearsStayWithinOneTo9999)
{
    EXPECT_EQ(PagedCalendarYear(2026, -1), 2025);
    EXPECT_EQ(PagedCalendarYear(2026, +1), 2027);
    EXPECT_EQ(PagedCalendarYear(1, -1), 1);
    EXPECT_EQ(PagedCalendarYear(9999, +1), 9999);
    EXPECT_EQ(CalendarYearOf(EncodeDate(2026, 12, 31) + 0.99), 2026);
    EXPECT_EQ(CalendarYearOf(EncodeDate(10000, 1, 1)), 9999);
    EXPECT_EQ(CalendarYearOf(EncodeDate(0, 12, 31)), 1);

    // Both ends draw whole years; a year beyond them keeps its caption and draws no day.
    RecordingCanvas first;
    DrawYear(first, 1, ReadCalendarNames(FixedLocaleFormats()));
    EXPECT_EQ(first.Days().size(), 365u);
    RecordingCanvas last;
    DrawYear(last, 9999, ReadCalendarNames(FixedLocaleFormats()));
    EXPECT_EQ(last.Days().back().text, "31");
    RecordingCanvas beyond;
    DrawYear(beyond, 10000, ReadCalendarNames(FixedLocaleFormats()));
    EXPECT_EQ(beyond.year, "10000");
    EXPECT_TRUE(beyond.texts.empty());
}

} // namespace
