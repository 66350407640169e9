// The calendar window on Qt's off-screen platform: its year, paging by arrows and keys, its ends,
// and what it tells assistive technology.
#include "calendar/uCalendar.h"
#include "platform/qt/qtlocaleformats.h"
#include "support/mainwindowfakes.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QTest>
#include <QTimer>

namespace {

class ClockAt final : public LocalClock {
public:
    explicit ClockAt(int year) : m_now(EncodeDate(year, 6, 1) + 0.5) {}
    TDateTime Now() const override { return m_now; }

private:
    TDateTime m_now;
};

QString Caption(const TcvCalendar& calendar, const char* name)
{
    return calendar.findChild<QLabel*>(QString::fromLatin1(name))->text();
}

TEST(CalendarWindow, OpensOnTheClocksYearAsAFixedDialog)
{
    const ClockAt clock(2031);
    TcvCalendar calendar(clock, FixedLocaleFormats(), nullptr);
    EXPECT_EQ(calendar.CalendarYear(), 2031);
    EXPECT_EQ(calendar.windowTitle(), QStringLiteral("Chronivo - Calendar"));
    EXPECT_EQ(calendar.size(), QSize(576, 405));
    EXPECT_EQ(calendar.minimumSize(), calendar.maximumSize());
    calendar.grab();
    EXPECT_EQ(Caption(calendar, "lbYear"), QStringLiteral("2031"));
    EXPECT_EQ(calendar.findChildren<QLabel*>().size(), 13) << "the year once, and the twelve months";
    EXPECT_EQ(Caption(calendar, "Label12"), QStringLiteral("December"));
}

TEST(CalendarWindow, ArrowsAndKeysPageByAYearAndEscapeCloses)
{
    const ClockAt clock(2026);
    TcvCalendar calendar(clock, FixedLocaleFormats(), nullptr);
    auto* previous = calendar.findChild<QAbstractButton*>(QStringLiteral("LeftBtn"));
    auto* next = calendar.findChild<QAbstractButton*>(QStringLiteral("Rightbtn"));
    EXPECT_EQ(previous->accessibleName(), QStringLiteral("Previous year"));
    EXPECT_EQ(next->accessibleName(), QStringLiteral("Next year"));

    QTest::mouseClick(next, Qt::LeftButton);
    EXPECT_EQ(calendar.CalendarYear(), 2027);
    QTest::mouseClick(previous, Qt::LeftButton);
    QTest::mouseClick(previous, Qt::LeftButton);
    EXPECT_EQ(calendar.CalendarYear(), 2025);
    const std::pair<Qt::Key, int> keys[] = {
        {Qt::Key_Right, 2026}, {Qt::Key_PageDown, 2027}, {Qt::Key_Left, 2026}, {Qt::Key_PageUp, 2025}};
    for (const auto& [key, year] : keys) {
        QTest::keyClick(&calendar, key);
        EXPECT_EQ(calendar.CalendarYear(), year) << key;
    }
    calendar.grab();
    EXPECT_EQ(Caption(calendar, "lbYear"), QStringLiteral("2025"));

    calendar.show();
    QTest::keyClick(&calendar, Qt::Key_Escape);
    EXPECT_FALSE(calendar.isVisible());
}

TEST(CalendarWindow, PagingStopsAtYearsOneAnd9999)
{
    const ClockAt last(9999);
    TcvCalendar atLast(last, FixedLocaleFormats(), nullptr);
    QTest::keyClick(&atLast, Qt::Key_Right);
    EXPECT_EQ(atLast.CalendarYear(), 9999);
    EXPECT_FALSE(atLast.findChild<QAbstractButton*>(QStringLiteral("Rightbtn"))->isEnabled());
    QTest::keyClick(&atLast, Qt::Key_Left);
    EXPECT_TRUE(atLast.findChild<QAbstractButton*>(QStringLiteral("Rightbtn"))->isEnabled());

    const ClockAt first(1);
    TcvCalendar atFirst(first, FixedLocaleFormats(), nullptr);
    QTest::keyClick(&atFirst, Qt::Key_Left);
    EXPECT_EQ(atFirst.CalendarYear(), 1);
    EXPECT_FALSE(atFirst.findChild<QAbstractButton*>(QStringLiteral("LeftBtn"))->isEnabled());
    EXPECT_TRUE(atFirst.findChild<QAbstractButton*>(QStringLiteral("Rightbtn"))->isEnabled());
    atFirst.grab();
    EXPECT_EQ(Caption(atFirst, "lbYear"), QStringLiteral("1"));
}

TEST(CalendarWindow, TheMainWindowOpensANewOneEachTimeOnItsClocksYear)
{
    const TempDir folder;
    MainServices services = TestMainServices();
    services.clock = std::make_unique<ClockAt>(2031);
    TcvMain window(folder.Path().string() + '/', std::move(services));
    std::vector<int> years;
    for (int opening = 0; opening < 2; ++opening) {
        // Runs inside the modal loop: note the year, page on, close.
        QTimer::singleShot(0, &window, [&] {
            auto* calendar = window.findChild<TcvCalendar*>();
            if (!calendar) {
                ADD_FAILURE() << "no calendar window";
                return;
            }
            EXPECT_TRUE(calendar->isModal());
            years.push_back(calendar->CalendarYear());
            calendar->RightbtnClick();
            calendar->reject();
        });
        window.ibShowCalClick();
    }
    EXPECT_EQ(years, (std::vector<int>{2031, 2031}));
    EXPECT_EQ(window.findChild<TcvCalendar*>(), nullptr);
}

TEST(QtLocaleFormats, NamesTheMonthsAndWeekdaysSundayFirst)
{
    // The tests run in the C locale, whose names are the English ones.
    const QtLocaleFormats formats;
    EXPECT_EQ(formats.LongMonthName(1), "January");
    EXPECT_EQ(formats.LongMonthName(12), "December");
    EXPECT_EQ(formats.ShortDayName(1), "Sun");
    EXPECT_EQ(formats.ShortDayName(2), "Mon");
    EXPECT_EQ(formats.ShortDayName(7), "Sat");
}

} // namespace
