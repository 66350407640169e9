// The cities shown on the map: 32 slots filled from the settings of the current map view. The list
// ends at the first slot whose name is empty; slot 32 always stays empty.
#pragma once

#include <array>
#include <string>

struct TMapCity {
    std::string Name;     // label: the table name before its first comma, at most 32 characters
    int Latitude = 0;     // degrees, north positive
    int Longitude = 0;    // degrees, WEST positive (the table's value negated)
    double UtcOffset = 0; // standard offset from UTC, days
    int DstRule = 0;      // daylight-saving rule code 0..11
    std::string Zone;     // the city's zone in the system's time-zone database; empty when unknown
    bool ZoneTime = false; // the time comes from Zone in either mode: a city added from the world's cities
};

constexpr int kMapCitySlots = 32;
constexpr int kMaxMapCities = kMapCitySlots - 1;

using TMapCities = std::array<TMapCity, kMapCitySlots>;
