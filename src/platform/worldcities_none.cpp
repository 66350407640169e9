// A build without a location database: only the program's own table is offered.
#include "platform/worldcities.h"

std::unique_ptr<WorldCitySource> MakeSystemWorldCities()
{
    return nullptr;
}
