// A platform header that reaches up into a subsystem.
#pragma once
#include "worldmap/bitmap.h"
