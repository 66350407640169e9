// Finding the world's cities as the user types: names are compared with letter case and accents
// ignored, so "tromso" finds "Tromsø, Norway" and a user need not know how to type a letter.
#pragma once

#include "components/Stringhl.h"
#include "platform/worldcities.h"
#include "worldmap/addedcity.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// text for comparison only: Latin letters with accents become their base letters (ø → o, é → e,
// ß → ss, æ → ae), combining accents are dropped, upper-case Latin letters become lower case. Other
// characters, and bytes that are not UTF-8, stay as they are.
std::string SearchKey(std::string_view text);

// The world's cities that may be added: those of a source the table does not already hold.
class WorldCityIndex {
public:
    // The added cities of cities (AddedCityOf), each name once, without those whose city a table row
    // names within a degree of their place ("Paris, France" beside the table's "Paris, France") and
    // those named as a table row is (letter case aside).
    WorldCityIndex(const std::vector<WorldCity>& cities, const TStrings& table);

    // At most limit cities whose name holds filter, SearchKey of both compared: those whose name
    // begins with it first, then the others, each group alphabetical. Nothing for an empty filter.
    std::vector<const AddedCity*> Search(std::string_view filter, std::size_t limit) const;
    // The city of that name exactly, or nullptr.
    const AddedCity* Find(const std::string& name) const;
    std::size_t Size() const { return m_cities.size(); }

private:
    std::vector<AddedCity> m_cities; // in alphabetical order of m_keys
    std::vector<std::string> m_keys; // SearchKey of each name
};
