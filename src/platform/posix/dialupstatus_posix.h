// The dial-up links of a Linux machine, read from the network devices in sysfs. A link is a
// dial-up one when it is point-to-point (the device flag), of a serial-line or raw-IP kind (PPP,
// SLIP, raw IP) or a mobile-broadband (wwan) device; it is connected when it is up and running.
#pragma once

#include "platform/dialupstatus.h"

#include <string>
#include <vector>

// The dial-up links among the devices under classNet (normally "/sys/class/net"), by device name.
std::vector<DialUpLink> ReadDialUpLinks(const std::string& classNet);
