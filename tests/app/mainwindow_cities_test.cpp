// The main window's part in the city table: the table it starts with and the slots it loads.
#include "app/cv_main.h"
#include "app/utils.h"
#include "support/mainwindowfakes.h"
#include "support/tempdir.h"
#include "worldmap/citytable.h"
#include "worldmap/mapview.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>

namespace {

class MainWindowCities : public ::testing::Test {
protected:
    void SetUp() override { m_folder.Write("chronivo.ini", "[World Cities]\nCity 1=Foo, Bar\nCity 2=Tokyo, Japan\n"); }

    void Write(const std::string& name, const std::string& bytes) { m_folder.Write(name, bytes); }

    std::unique_ptr<TcvMain> Open()
    {
        return std::make_unique<TcvMain>(m_folder.Path().string() + '/', TestMainServices());
    }

    TempDir m_folder;
};

TEST_F(MainWindowCities, StartsWithTheBuiltInTable)
{
    const auto window = Open();
    EXPECT_EQ(window->CityData().Strings(), BuiltInCityRows());
    EXPECT_EQ(window->MapCities()[0].Name, "") << "Foo, Bar is no built-in city";
    EXPECT_EQ(window->MapCities()[1].Name, "Tokyo");
}

TEST_F(MainWindowCities, TakesTheCityFileInPlaceOfTheBuiltInRows)
{
    Write(kCityFileName, "Foo, Bar                          +5.5   10     20      0\n");
    const auto window = Open();
    ASSERT_EQ(window->CityData().Strings().size(), 1u);
    EXPECT_EQ(window->MapCities()[0].Name, "Foo");
    EXPECT_EQ(window->MapCities()[1].Name, "") << "Tokyo is not in the file's table";
    // The tick takes 12:00 from the clock, in the zone of UTC; the city is 5:30 ahead.
    window->TimerTimer();
    EXPECT_EQ(window->MapCityTimeText(window->MapCities()[0]), "17:30");
}

TEST_F(MainWindowCities, KeepsTheBuiltInRowsWhenTheCityFileIsNoTable)
{
    Write(kCityFileName, std::string("\x7f"
                                     "ELF\0\0\0",
                                     7));
    const auto window = Open();
    EXPECT_EQ(window->CityData().Strings().size(), 124u);
    EXPECT_EQ(window->MapCities()[1].Name, "Tokyo");
}

// Cities added from the world's cities, read from their section: at their place on each view they fall
// in, with their zone's time though the table's offsets are in force; a zone this system lacks is said
// once and its city passed over, the cities after it moving up.
TEST_F(MainWindowCities, AddedCitiesShowAtTheirPlaceWithTheirZonesTime)
{
    struct Dot {
        int view;
        QPoint tromso;
        QPoint hobart;
    };
    // Tromsø at 18.92° E 69.67° N and Hobart at 147.32° E 42.88° S, on a 316 × 158 map.
    for (const Dot& dot : {Dot{0, {176, 18}, {288, 117}}, Dot{1, {255, 18}, {51, 117}}, Dot{2, {35, 18}, {148, 117}}}) {
        Write("chronivo.ini", "[Display]\nTime zones=0\nShow shadow=0\nMap view=" + std::to_string(dot.view) +
                                  "\n[World Cities]\nCity 1=Atlantis, Sea\nCity 2=Hobart, Tasmania, Australia\n"
                                  "City 3=Tokyo, Japan\nCity 4=Tromsø, Norway\n"
                                  "[Added Cities]\nTromsø, Norway=69.666667 18.916667 Europe/Oslo\n"
                                  "Hobart, Tasmania, Australia=-42.883333 147.316667 Australia/Hobart\n"
                                  "Atlantis, Sea=0 0 Atlantis/Nowhere\n");
        testing::internal::CaptureStderr();
        const auto window = Open();
        window->TimerTimer(); // noon UTC on 15 July 2026: summer in Tromsø, winter in Hobart
        QTimer::singleShot(0, [] { QApplication::activeModalWidget()->findChild<QPushButton*>("btnOK")->click(); });
        window->ibSettingsClick(); // OK reloads the cities
        std::string unsaved;
        ASSERT_EQ(FinishIniSaves(std::chrono::seconds(10), unsaved), SavesFinished::Saved) << unsaved; // before the next round's file
        const std::string said = testing::internal::GetCapturedStderr();
        const std::string unknown = "chronivo: Atlantis, Sea is not shown: this system does not know its time zone "
                                    "Atlantis/Nowhere\n";
        EXPECT_NE(said.find(unknown), std::string::npos);
        EXPECT_EQ(said.find(unknown), said.rfind(unknown)) << "said once";
        // OK wrote the table's city first, then the added ones.
        const TMapCities& cities = window->MapCities();
        ASSERT_EQ(cities[0].Name, "Tokyo");
        ASSERT_EQ(cities[1].Name, "Hobart");
        ASSERT_EQ(cities[2].Name, "Tromsø");
        EXPECT_EQ(window->MapCityTimeText(cities[0]), "21:00");
        EXPECT_EQ(window->MapCityTimeText(cities[1]), "22:00");
        EXPECT_EQ(window->MapCityTimeText(cities[2]), "14:00");
        const Bitmap& frame = window->FrameBitmap();
        EXPECT_EQ(frame.Pixel(dot.tromso.x(), dot.tromso.y()), kDotColor) << "view " << dot.view;
        EXPECT_EQ(frame.Pixel(dot.hobart.x(), dot.hobart.y()), kDotColor) << "view " << dot.view;
    }
}

} // namespace
