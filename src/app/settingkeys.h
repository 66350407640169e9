// The settings table: every key of "chronivo.ini" in one place, with its section, the reader's buffer
// (a value is read as at most buffer - 1 characters), its default and its kind, which says how the
// key's text becomes a value and back. The readers and writers (appsettings) and MainState's
// defaults are all taken from here, so a key's name, buffer and default have no other home (a default
// the core itself starts with, such as the map font's, is the core's constant, named here).
//
// Adding a key is one line in the table below; it is then read with settings_file::Read(file, key)
// and written as settings_file::Change(key, value) among the changes of its save. Two families of
// keys are not in the table: the city lists, whose sections are the map views' (worldmap/mapviews.h)
// and keys "City 1", "City 2", … (ReadCityList / CityListChanges), and the added cities, one key per
// city name in "Added Cities" (ReadAddedCity / AddedCityChange). The city lists' one default is the world views' list
// of a first start (kFirstStartCities).
#pragma once

#include "app/utils.h"
#include "components/Stringhl.h"
#include "base/datetime.h"
#include "timesync/timequery.h"
#include "timesync/updatepolicy.h"
#include "worldmap/mapviews.h"
#include "worldmap/textrenderer.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace settings_file {

// The world views' cities of a first start (no settings file yet), spread over the zones so the map
// shows what it is for. Written once; a file that exists keeps its lists, empty ones included.
inline const TStrings kFirstStartCities = {"Honolulu, Hawaii", "New York, New York",    "London, England",
                                           "Cairo, Egypt",     "New Delhi, India",      "Tokyo, Japan",
                                           "Sydney, Australia", "Rio de Janeiro, Brazil"};

// Integer of the text, or fallback when it is not a plain decimal integer (optional sign, digits,
// within int range).
int ToIntDef(const std::string& text, int fallback);
// Each style is on when its upper-case letter ("B", "I", "U") occurs anywhere in the text.
FontStyle ParseFontStyle(const std::string& text);
// "B", "I", "U" in this order for the styles present.
std::string FontStyleText(FontStyle style);

// The kinds of key: Parse turns the stored text (the default's text when the key is absent) into a
// value, Format a value into the text written.

// A decimal integer; anything else reads as the default.
struct IntegerKind {
    using Value = int;
    using Default = int;
    static Value Parse(const std::string& text, Default fallback) { return ToIntDef(text, fallback); }
    static std::string Format(Value value) { return std::to_string(value); }
};

// A number stored as a decimal integer, kept as it is even outside the enumeration's range.
template <typename Enum>
struct NumberedKind {
    using Value = Enum;
    using Default = Enum;
    static Value Parse(const std::string& text, Default fallback)
    {
        return Enum{ToIntDef(text, static_cast<int>(fallback))};
    }
    static std::string Format(Value value) { return std::to_string(static_cast<int>(value)); }
};

// "1" or "0"; any other text reads as the default (so a flag off by default is on only for "1").
struct FlagKind {
    using Value = bool;
    using Default = bool;
    static Value Parse(const std::string& text, Default fallback) { return text == "1" || (fallback && text != "0"); }
    static std::string Format(Value on) { return on ? "1" : "0"; }
};

// "1" or "0"; on when the text is the integer 1, and the default when it is no integer.
struct NumericFlagKind {
    using Value = bool;
    using Default = bool;
    static Value Parse(const std::string& text, Default fallback) { return ToIntDef(text, fallback ? 1 : 0) == 1; }
    static std::string Format(Value on) { return on ? "1" : "0"; }
};

// Text as it is stored.
struct TextKind {
    using Value = std::string;
    using Default = const char*;
    static Value Parse(const std::string& text, Default) { return text; }
    static std::string Format(std::string_view value) { return std::string(value); }
};

// A decimal number with "." whatever the locale; anything else reads as the default.
struct DecimalKind {
    using Value = double;
    using Default = double;
    static Value Parse(const std::string& text, Default fallback)
    {
        double value = 0.0;
        return TryParseDecimal(text, value) ? value : fallback;
    }
    static std::string Format(Value value) { return DateTimeToSettingText(value); }
};

// The letters "B", "I", "U" of the styles on (see ParseFontStyle).
struct FontStyleKind {
    using Value = FontStyle;
    using Default = FontStyle;
    static Value Parse(const std::string& text, Default) { return ParseFontStyle(text); }
    static std::string Format(Value style) { return FontStyleText(style); }
};

template <typename Kind>
struct Setting {
    const char* section;
    const char* key;
    std::size_t buffer;
    typename Kind::Default fallback;
};

inline constexpr const char* kMainWin = "MainWin";
inline constexpr const char* kDisplay = "Display";
inline constexpr const char* kClock = "Clock";

// clang-format off
inline constexpr Setting<IntegerKind>                kWindowLeft{kMainWin, "Left",        16,  0};
inline constexpr Setting<IntegerKind>                kWindowTop {kMainWin, "Top",         16,  0};
inline constexpr Setting<FlagKind>                   kMinimized {kMainWin, "Minimized",   16,  false};
inline constexpr Setting<FlagKind>                   kTrayIcon  {kDisplay, "TrayIcon",    16,  false};
inline constexpr Setting<NumberedKind<MapViewId>>    kMapView   {kDisplay, "Map view",    16,  MapViewId::WorldEurope};
inline constexpr Setting<TextKind>                   kFontFace  {kDisplay, "Font face",   32,  kDefaultMapFontFace};
inline constexpr Setting<IntegerKind>                kFontSize  {kDisplay, "Font size",   16,  kDefaultMapFontPoints};
inline constexpr Setting<FontStyleKind>              kFontStyle {kDisplay, "Font style",  16,  FontStyle{}};
inline constexpr Setting<NumericFlagKind>            kShowShadow{kDisplay, "Show shadow", 16,  true};
inline constexpr Setting<FlagKind>                   kTimeZones {kDisplay, "Time zones",  16,  true};
inline constexpr Setting<TextKind>                   kTimeServer{kClock,   "Time server", 32,  "time.nist.gov"};
inline constexpr Setting<DecimalKind>                kLastUpdate{kClock,   "Last update", 32,  0.0};
inline constexpr Setting<NumberedKind<UpdateTypeId>> kUpdateType{kClock,   "Update type", 16,  UpdateTypeId::Manually};
inline constexpr Setting<TextKind>                   kLog       {kClock,   "Log",         128, "No information available"};
inline constexpr Setting<NumberedKind<TimeProtocol>> kProtocol  {kClock,   "Protocol",    16,  TimeProtocol::Time};
inline constexpr Setting<TextKind>                   kTrustedCertificate{kClock, "Trusted certificate", 1024, ""};
// clang-format on

// The key's value in fileName, or its default when the key is absent or unreadable as its kind.
template <typename Kind>
typename Kind::Value Read(const std::string& fileName, const Setting<Kind>& setting)
{
    const std::string text =
        ReadIniString(fileName, setting.section, setting.key, setting.buffer, Kind::Format(setting.fallback));
    return Kind::Parse(text, setting.fallback);
}

// The change that stores value under the key, for a save (see SaveIniStrings).
template <typename Kind>
inifile::Change Change(const Setting<Kind>& setting, const typename Kind::Value& value)
{
    return {setting.section, setting.key, Kind::Format(value)};
}

} // namespace settings_file
