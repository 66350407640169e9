// Dial-up links as read from a made-up /sys/class/net.
#include "platform/posix/dialupstatus_posix.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

struct Device {
    const char* name;
    const char* type;
    const char* flags;
    const char* operstate;
    const char* carrier; // nullptr: not readable, as for a device that is down
    const char* uevent;
};

void Write(const std::filesystem::path& file, const char* text)
{
    std::ofstream(file) << text << '\n';
}

TEST(PosixDialUp, PointToPointAndMobileLinksThatAreUpAndRunning)
{
    const TempDir folder;
    const std::filesystem::path& classNet = folder.Path();
    const std::vector<Device> devices{
        {"eth0", "1", "0x1003", "up", "1", "INTERFACE=eth0"},                     // Ethernet: not dial-up
        {"lo", "772", "0x9", "unknown", "1", "INTERFACE=lo"},                     // loopback
        {"ppp0", "512", "0x1091", "unknown", "1", "INTERFACE=ppp0"},              // PPP, connected
        {"ppp1", "512", "0x1090", "down", nullptr, "INTERFACE=ppp1"},             // PPP, down
        {"wwan0", "65534", "0x1091", "up", "1", "DEVTYPE=wwan\nINTERFACE=wwan0"}, // mobile broadband
        {"wwan1", "65534", "0x1001", "up", "1", "DEVTYPE=wwan\nINTERFACE=wwan1"}, // by its kind alone
        {"sl0", "256", "0x1001", "dormant", "1", "INTERFACE=sl0"},                // SLIP, up but dormant
        {"tun0", "65534", "0x1091", "unknown", "0", "INTERFACE=tun0"},            // point-to-point, no carrier
    };
    for (const Device& d : devices) {
        const std::filesystem::path dir = classNet / d.name;
        std::filesystem::create_directories(dir);
        Write(dir / "type", d.type);
        Write(dir / "flags", d.flags);
        Write(dir / "operstate", d.operstate);
        if (d.carrier)
            Write(dir / "carrier", d.carrier);
        Write(dir / "uevent", d.uevent);
    }
    const std::vector<DialUpLink> links = ReadDialUpLinks(classNet.string());

    std::vector<std::string> seen;
    std::vector<std::string> connected;
    for (const DialUpLink& link : links) {
        seen.push_back(link.name);
        if (link.connected)
            connected.push_back(link.name);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"ppp0", "ppp1", "sl0", "tun0", "wwan0", "wwan1"}));
    EXPECT_EQ(connected, (std::vector<std::string>{"ppp0", "wwan0", "wwan1"}));
}

TEST(PosixDialUp, MissingFolderMeansNoLinks)
{
    EXPECT_TRUE(ReadDialUpLinks("/nonexistent/class/net").empty());
}

} // namespace
