// The main window's part in the city table: the table it starts with and the slots it loads.
#include "app/cv_main.h"
#include "support/mainwindowfakes.h"
#include "support/tempdir.h"
#include "worldmap/citytable.h"

#include <gtest/gtest.h>

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

} // namespace
