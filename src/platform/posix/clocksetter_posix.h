// The pieces of the POSIX clock setter that depend on nothing but their input. The setter sets the
// clock itself when the process holds CAP_SYS_TIME, and otherwise asks systemd's time daemon over
// the system bus (busctl), whose policy may ask the user for leave.
#pragma once

#include "base/datetime.h"

class ClockSetter;
class MessagePump;

#include <cstdint>
#include <memory>
#include <string>
#include <ctime>
#include <optional>
#include <string_view>

// True when the "CapEff:" line of a /proc/<pid>/status text holds CAP_SYS_TIME.
bool HasClockCapability(std::string_view procStatus);

// Microseconds since 1970-01-01 00:00 UTC of a local date-time, by the C library's zone rules;
// nullopt when the value is out of range. A time that occurs twice (when daylight time ends) is
// read as the occurrence nearer near (seconds since 1970, UTC).
std::optional<std::int64_t> LocalToUnixMicroseconds(TDateTime local, std::time_t near);

// Where busctl is run from: a fixed path, never looked up through PATH, which the user controls.
constexpr const char* kBusctlPath = "/usr/bin/busctl";

// The setter, asking the daemon through the busctl at the given path.
std::unique_ptr<ClockSetter> MakePosixClockSetter(MessagePump& pump, std::string busctl);
