// A core source that reaches up into the program.
#include "timesync/fine.h"
#include "app/appsettings.h"
