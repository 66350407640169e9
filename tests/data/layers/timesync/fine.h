// A subsystem header that keeps to its layers.
#pragma once
#include "base/datetime.h"
#include "platform/localclock.h"
#include "timesync/nettime.h"
#include <string>
