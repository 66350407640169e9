// Files written for the Windows profile functions read the same here: quoted values, headers that
// lack their closing bracket, lone-CR line ends. (Under Windows, the differential test compares the
// engine with those functions themselves.)
#include "app/inifile.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

namespace {

TEST(IniFileProfileReading, QuotesBrokenHeadersAndLoneCrLinesReadAsTheProfileFunctionsReadThem)
{
    TempDir dir;
    const std::string ini = dir.File("chronivo.ini");
    dir.Write("chronivo.ini", "Top=9\r[MainWin]\rTop=\"5\"\rLeft='\r[Clock\rLog=in MainWin\r[Display] x]\r"
                              "Font face='Arial'x'\r");
    EXPECT_EQ(inifile::ReadValue(ini, "MainWin", "Top"), "5");
    EXPECT_EQ(inifile::ReadValue(ini, "MainWin", "Left"), "'");
    EXPECT_EQ(inifile::ReadValue(ini, "MainWin", "Log"), "in MainWin");
    EXPECT_EQ(inifile::ReadValue(ini, "Clock", "Log"), std::nullopt);
    EXPECT_EQ(inifile::ReadValue(ini, "Display] x", "Font face"), "Arial'x");

    // A write keeps the file's lone-CR line ends.
    ASSERT_TRUE(inifile::WriteValues(ini, {{"MainWin", "Width", "3"}}));
    ASSERT_TRUE(inifile::WriteValues(ini, {{"New", "Key", "4"}}));
    EXPECT_EQ(inifile::ReadValue(ini, "MainWin", "Width"), "3");
    EXPECT_EQ(inifile::ReadValue(ini, "New", "Key"), "4");
    EXPECT_EQ(dir.Read("chronivo.ini").find('\n'), std::string::npos);
}

} // namespace
