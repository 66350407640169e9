// The settings file: how values are found, how a write changes only its own line, and what happens
// with files that are odd, huge or cannot be written.
#include "app/appsettings.h"
#include "app/inifile.h"
#include "app/utils.h"
#include "support/casename.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

class SettingsFile : public ::testing::Test {
protected:
    TempDir dir;
    std::string ini = dir.File("chronivo.ini");

    std::string Read(const std::string& section, const std::string& key, std::size_t buffer = 64,
                     const std::string& fallback = "<default>")
    {
        return ReadIniString(ini, section, key, buffer, fallback);
    }
};

TEST_F(SettingsFile, FindsValuesWhateverTheCaseBlanksLineEndsAndByteOrderMark)
{
    dir.Write("chronivo.ini", "\xEF\xBB\xBF[MainWin]\r\n  Top = -12  \r\nleft=30\r\n\r\n[ display ]\n"
                              "Font Face=Arial Narrow\nnot a key line\n[Clock]\nLog=\n");
    EXPECT_EQ(Read("MainWin", "Top"), "-12");
    EXPECT_EQ(Read("MAINWIN", "LEFT"), "30");
    EXPECT_EQ(Read("Display", "font face"), "Arial Narrow");
    // An empty value is a value: it does not fall back to the default.
    EXPECT_EQ(Read("Clock", "Log"), "");
    EXPECT_EQ(Read("Clock", "Time server"), "<default>");
    EXPECT_EQ(Read("Nowhere", "Top"), "<default>");
}

TEST_F(SettingsFile, AbsentFileGivesDefaults)
{
    EXPECT_EQ(Read("MainWin", "Top"), "<default>");
    EXPECT_EQ(settings_file::ReadWindowPlace(ini).left, 0);
}

TEST_F(SettingsFile, ValuesAreCutToTheBufferLessOne)
{
    const std::string server(40, 's');
    const std::string log(200, 'l');
    ASSERT_TRUE(WriteIniString(ini, "Clock", "Time server", server));
    ASSERT_TRUE(WriteIniString(ini, "Clock", "Log", log));
    EXPECT_EQ(Read("Clock", "Time server", 32), server.substr(0, 31));
    EXPECT_EQ(Read("Clock", "Log", 128), log.substr(0, 127));
    // The default is cut the same way.
    EXPECT_EQ(Read("Clock", "Absent", 4, "abcdef"), "abc");
}

TEST_F(SettingsFile, WriteChangesOnlyItsOwnLine)
{
    const std::string before = "; kept comment\r\n[MainWin]\r\nLeft=1\r\nTop=2\r\ngarbage line\r\n\r\n"
                               "[Clock]\r\nLast update=0\r\n";
    dir.Write("chronivo.ini", before);
    ASSERT_TRUE(WriteIniString(ini, "mainwin", "TOP", "250"));
    EXPECT_EQ(dir.Read("chronivo.ini"), "; kept comment\r\n[MainWin]\r\nLeft=1\r\nTop=250\r\ngarbage line\r\n\r\n"
                                        "[Clock]\r\nLast update=0\r\n");
}

TEST_F(SettingsFile, WriteAddsKeysToTheirSectionAndNewSectionsAtTheEnd)
{
    dir.Write("chronivo.ini", "[MainWin]\nLeft=1\n\n[Clock]\nLog=x");
    ASSERT_TRUE(WriteIniString(ini, "MainWin", "Minimized", "0"));
    ASSERT_TRUE(WriteIniString(ini, "Clock", "Last update", "46363.5"));
    ASSERT_TRUE(WriteIniString(ini, "World Cities", "City 1", "London, England"));
    EXPECT_EQ(dir.Read("chronivo.ini"), "[MainWin]\nLeft=1\nMinimized=0\n\n[Clock]\nLog=x\nLast update=46363.5\n"
                                        "[World Cities]\nCity 1=London, England\n");
}

TEST_F(SettingsFile, FirstWriteCreatesTheFile)
{
    ASSERT_TRUE(WriteIniString(ini, "Display", "Map view", "3"));
    EXPECT_EQ(dir.Read("chronivo.ini"), "[Display]\nMap view=3\n");
    ASSERT_TRUE(WriteIniString(ini, "Display", "Font style", ""));
    EXPECT_EQ(Read("Display", "Font style"), "");
}

TEST_F(SettingsFile, ValueCannotAddLinesOfItsOwn)
{
    ASSERT_TRUE(WriteIniString(ini, "Clock", "Time server", "evil\r\n[MainWin]\nTop=9999"));
    EXPECT_EQ(Read("MainWin", "Top"), "<default>");
    EXPECT_EQ(Read("Clock", "Time server"), "evil  [MainWin] Top=9999");
}

TEST_F(SettingsFile, ValueInQuotesReadsBackAsWritten)
{
    // Reading takes a value out of matching quotes; writing adds a pair so that none is lost.
    for (const std::string value : {"\"quoted\"", "'single'", "\"\"", "''", "\"open", "'mixed\"", "\""}) {
        ASSERT_TRUE(WriteIniString(ini, "Clock", "Time server", value));
        EXPECT_EQ(Read("Clock", "Time server"), value);
    }
    ASSERT_TRUE(WriteIniString(ini, "Clock", "Time server", "\"ends in a line break\"\r\n"));
    EXPECT_EQ(Read("Clock", "Time server"), "\"ends in a line break\"");
    dir.Write("chronivo.ini", "[Clock]\nLog=\"kept as the file has it\"\n");
    EXPECT_EQ(Read("Clock", "Log"), "kept as the file has it");
}

TEST_F(SettingsFile, DuplicateKeysAndSectionsUseTheFirst)
{
    dir.Write("chronivo.ini", "[Clock]\nLog=first\nLog=second\n[Clock]\nLog=third\n");
    EXPECT_EQ(Read("Clock", "Log"), "first");
    ASSERT_TRUE(WriteIniString(ini, "Clock", "Log", "new"));
    EXPECT_EQ(dir.Read("chronivo.ini"), "[Clock]\nLog=new\nLog=second\n[Clock]\nLog=third\n");
}

TEST_F(SettingsFile, HugeFileIsNotOursToReadOrRewrite)
{
    std::string huge = "[MainWin]\nTop=5\n";
    huge.append(inifile::kMaxIniFileBytes, 'x');
    dir.Write("chronivo.ini", huge);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Read("MainWin", "Top"), "<default>");
    EXPECT_FALSE(WriteIniString(ini, "MainWin", "Top", "6"));
    const std::string told = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(dir.Read("chronivo.ini").size(), huge.size());
    // Said once, however often the file is tried.
    const std::size_t first = told.find("larger than 4 MiB");
    EXPECT_NE(first, std::string::npos) << told;
    EXPECT_EQ(told.find("larger than", first + 1), std::string::npos) << told;
}

TEST_F(SettingsFile, BinaryGarbageReadsAsDefaultsAndIsKeptOnRewrite)
{
    std::string garbage("\x00\xff\xfe[\x01=\x02\n\x80\x81", 10);
    dir.Write("chronivo.ini", garbage);
    EXPECT_EQ(Read("MainWin", "Top"), "<default>");
    ASSERT_TRUE(WriteIniString(ini, "MainWin", "Top", "7"));
    const std::string after = dir.Read("chronivo.ini");
    EXPECT_EQ(after.substr(0, garbage.size()), garbage);
    EXPECT_EQ(Read("MainWin", "Top"), "7");
}

// POSIX permissions; the Windows version is with the Windows platform tests.
#ifndef _WIN32
TEST_F(SettingsFile, FailedWriteLeavesTheOldFileWhole)
{
    dir.Write("chronivo.ini", "[MainWin]\nTop=5\n");
    ::chmod(dir.Path().c_str(), 0555);
    // Root may write anywhere, so the write is tried by an unprivileged child.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        ::_exit(WriteIniString(ini, "MainWin", "Top", "6") ? 1 : 0);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    ::chmod(dir.Path().c_str(), 0700);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the write did not report its failure";
    EXPECT_EQ(dir.Read("chronivo.ini"), "[MainWin]\nTop=5\n");
}
#endif

TEST_F(SettingsFile, WriteOverAFolderFailsWithoutLeavingTemporaryFiles)
{
    std::filesystem::create_directory(dir.Path() / "chronivo.ini");
    EXPECT_FALSE(WriteIniString(ini, "MainWin", "Top", "6"));
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_TRUE(entry.path().filename() == "chronivo.ini" || entry.path().filename() == "chronivo.ini.lock")
            << entry.path();
}

// POSIX permissions; the Windows version is with the Windows platform tests.
#ifndef _WIN32
TEST_F(SettingsFile, WriteKeepsTheFilePermissions)
{
    dir.Write("chronivo.ini", "[MainWin]\nTop=5\n");
    ::chmod(ini.c_str(), 0600);
    ASSERT_TRUE(WriteIniString(ini, "MainWin", "Top", "6"));
    struct stat info {};
    ASSERT_EQ(::stat(ini.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}
#endif

// The typed readers of the keys, each with its own default and conversion.
struct TypedCase {
    const char* name;
    const char* file;
    bool showShadow;
    FontStyle style;
    bool tray;
    int mapView;
    const char* citySection;
    bool timeZones = true; // off only for an explicit "0"
};

class TypedReaders : public SettingsFile, public ::testing::WithParamInterface<TypedCase> {};

TEST_P(TypedReaders, ApplyTheirDefaultsAndConversions)
{
    using namespace settings_file;
    const TypedCase& c = GetParam();
    dir.Write("chronivo.ini", c.file);
    MainState state;
    state.IniFileName = ini;
    ReadDisplaySettings(state);
    EXPECT_EQ(state.ShowShadow, c.showShadow);
    EXPECT_EQ(state.MapFontStyle, c.style);
    EXPECT_EQ(ReadTrayMode(ini), c.tray);
    EXPECT_EQ(state.MapView, MapViewId{c.mapView});
    EXPECT_EQ(state.CitySection, c.citySection);
    EXPECT_EQ(state.UseTimeZones, c.timeZones);
}

// clang-format off
const TypedCase kTypedCases[] = {
    {"empty file", "", true, {}, false, 0, "World Cities"},
    {"words where numbers belong",
     "[Display]\nShow shadow=yes\nFont style=bui\nTrayIcon=yes\nMap view=x\nTime zones=yes\n",
     true, {}, false, 0, "World Cities"},
    {"a shadow flag of 2 and a view out of range",
     "[Display]\nShow shadow=2\nFont style=UxB\nTrayIcon=1\nMap view=7\nTime zones=1\n",
     false, {true, false, true}, true, 7, "World Cities", true},
    {"shadow and zones off, every style, the European view",
     "[Display]\nShow shadow=0\nFont style=IBU\nTrayIcon= 1 \nMap view=3\nTime zones=0\n",
     false, {true, true, true}, true, 3, "EU Cities", false},
    {"a tray flag with a leading zero, the American view",
     "[Display]\nShow shadow=1\nMap view=4\nTrayIcon=01\n",
     true, {}, false, 4, "USA Cities"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(SettingsFile, TypedReaders, ::testing::ValuesIn(kTypedCases), NameOfCase{});

TEST(SettingsConversions, IntegersAcceptOnlyPlainDecimals)
{
    using settings_file::ToIntDef;
    EXPECT_EQ(ToIntDef("-25", 7), -25);
    EXPECT_EQ(ToIntDef("+3", 7), 3);
    for (const char* bad : {"", "3.5", "12abc", "abc", "99999999999", "0x10", "-", "+"})
        EXPECT_EQ(ToIntDef(bad, 7), 7) << bad;
}

TEST(SettingsConversions, FontStyleIsWrittenBoldItalicUnderlineInThatOrder)
{
    using namespace settings_file;
    EXPECT_EQ(FontStyleText(ParseFontStyle("UB")), "BU");
    EXPECT_EQ(FontStyleText(ParseFontStyle("b")), "");
}

TEST_F(SettingsFile, EveryKeyReadsItsDefaultWhenAbsentAndWhatWasWrittenOnceStored)
{
    using namespace settings_file;
    auto check = [this](const auto& key) {
        const auto fallback = settings_file::Read(ini, key);
        EXPECT_TRUE(fallback == decltype(fallback)(key.fallback)) << key.key;
        ASSERT_TRUE(inifile::WriteValues(ini, {settings_file::Change(key, fallback)}));
        EXPECT_TRUE(settings_file::Read(ini, key) == fallback) << key.key;
    };
    auto checkAll = [&check](const auto&... keys) { (check(keys), ...); };
    checkAll(kWindowLeft, kWindowTop, kMinimized, kTrayIcon, kMapView, kFontFace, kFontSize, kFontStyle, kShowShadow,
             kTimeZones, kTimeServer, kLastUpdate, kUpdateType, kLog);
    // A value other than the default survives its kind's text as well.
    ASSERT_TRUE(inifile::WriteValues(ini, {settings_file::Change(kLastUpdate, 46363.5833333333)}));
    EXPECT_DOUBLE_EQ(settings_file::Read(ini, kLastUpdate), 46363.5833333333);
    ASSERT_TRUE(inifile::WriteValues(ini, {settings_file::Change(kFontStyle, FontStyle{true, false, true})}));
    EXPECT_EQ(settings_file::Read(ini, kFontStyle), (FontStyle{true, false, true}));
}

TEST_F(SettingsFile, ClockSettingsFallBackSoundly)
{
    dir.Write("chronivo.ini", "[Clock]\nLast update=yesterday\nUpdate type=two\n");
    MainState state;
    state.IniFileName = ini;
    settings_file::ReadClockSettings(state);
    EXPECT_EQ(state.LastUpdate, 0.0);
    EXPECT_EQ(state.UpdateType, UpdateTypeId::Manually);
    EXPECT_EQ(state.TimeServer, settings_file::kTimeServer.fallback);
    // A file from before the protocol could be chosen keeps the Time protocol.
    EXPECT_EQ(state.Protocol, TimeProtocol::Time);

    dir.Write("chronivo.ini", "[Clock]\nLast update=46363.5833333333\nUpdate type=3\nTime server=127.0.0.1\n"
                              "Protocol=1\n");
    settings_file::ReadClockSettings(state);
    EXPECT_DOUBLE_EQ(state.LastUpdate, 46363.5833333333);
    EXPECT_EQ(state.UpdateType, UpdateTypeId::WhileDialUp);
    EXPECT_EQ(state.TimeServer, "127.0.0.1");
    EXPECT_EQ(state.Protocol, TimeProtocol::Ntp);
    dir.Write("chronivo.ini", "[Clock]\nProtocol=3\n");
    settings_file::ReadClockSettings(state);
    EXPECT_EQ(state.Protocol, TimeProtocol::Time);
}

TEST_F(SettingsFile, FirstStartTakesItsProtocolAndKeepsItForTheNextStart)
{
    MainState state;
    state.IniFileName = ini;
    settings_file::ReadClockSettings(state);
    EXPECT_EQ(state.Protocol, settings_file::kFirstStartProtocol);
    EXPECT_EQ(state.TimeServer, settings_file::kFirstStartTimeServer);
    MainState next;
    next.IniFileName = ini;
    settings_file::ReadClockSettings(next);
    EXPECT_EQ(next.Protocol, settings_file::kFirstStartProtocol);
    EXPECT_EQ(next.TimeServer, settings_file::kFirstStartTimeServer);
}

TEST_F(SettingsFile, CityListEndsAtTheFirstGapOrTheLimitAndIsTheSectionsOwn)
{
    using namespace settings_file;
    dir.Write("chronivo.ini", "[EU Cities]\nCity 1=Paris, France\n"
                              "[World Cities]\nCity 1=Tokyo, Japan\nCity 2=Lima, Peru\nCity 4=Oslo, Norway\n");
    EXPECT_EQ(ReadCityList(ini, "World Cities", 31), (TStrings{"Tokyo, Japan", "Lima, Peru"}));
    EXPECT_EQ(ReadCityList(ini, "World Cities", 1), (TStrings{"Tokyo, Japan"}));
    EXPECT_EQ(ReadCityList(dir.File("none.ini"), "World Cities", 31), TStrings{});
}

// A shorter list written over a longer one must end where it ends, not run on into the old names.
TEST_F(SettingsFile, WrittenCityListReadsBackAsWritten)
{
    using namespace settings_file;
    ASSERT_TRUE(inifile::WriteValues(ini, CityListChanges("USA Cities", {"Boston, MA", "Denver, CO", "Miami, FL"})));
    ASSERT_TRUE(inifile::WriteValues(ini, CityListChanges("USA Cities", {"Austin, TX"})));
    EXPECT_EQ(ReadCityList(ini, "USA Cities", 31), TStrings{"Austin, TX"});
    EXPECT_EQ(Read("USA Cities", "City 3"), "Miami, FL");
}

TEST_F(SettingsFile, ExitSavesPlaceOrOnlyTheMinimizedState)
{
    dir.Write("chronivo.ini", "[MainWin]\nLeft=10\nTop=20\nMinimized=0\n");
    inifile::WriteValues(ini, settings_file::WindowOnExitChanges(true, settings_file::WindowPlace{300, 400}));
    EXPECT_EQ(dir.Read("chronivo.ini"), "[MainWin]\nLeft=10\nTop=20\nMinimized=1\n");
    inifile::WriteValues(ini, settings_file::WindowOnExitChanges(false, std::nullopt));
    EXPECT_EQ(dir.Read("chronivo.ini"), "[MainWin]\nLeft=10\nTop=20\nMinimized=0\n")
        << "a place the window system did not tell keeps the stored one";
    inifile::WriteValues(ini, settings_file::WindowOnExitChanges(false, settings_file::WindowPlace{-5, 400}));
    EXPECT_EQ(dir.Read("chronivo.ini"), "[MainWin]\nLeft=-5\nTop=400\nMinimized=0\n");
    EXPECT_EQ(settings_file::ReadWindowPlace(ini).left, -5);
    EXPECT_FALSE(inifile::WriteValues(dir.File("missing/chronivo.ini"), settings_file::WindowOnExitChanges(false, std::nullopt)))
        << "a file that cannot be written is told";
}

} // namespace
