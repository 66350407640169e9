// A subsystem header that reaches up into the program.
#pragma once
#include "app/mainstate.h"
