// A world-cities database of a few cities, for tests that must not depend on the system's.
#pragma once

#include "platform/worldcities.h"

class FewWorldCities final : public WorldCitySource {
public:
    const std::vector<WorldCity>& Cities() override { return m_cities; }

private:
    std::vector<WorldCity> m_cities{
        {"Tromsø", "", "Norway", 69.666667, 18.916667, "Europe/Oslo"},
        {"Hobart", "Tasmania", "Australia", -42.883333, 147.316667, "Australia/Hobart"},
        {"Paris", "Texas", "United States", 33.660939, -95.555513, "America/Chicago"},
    };
};
