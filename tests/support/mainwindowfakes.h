// Platform services for tests of the main window, none of them the machine's: a clock stopped at
// noon on 15 July 2026, fixed English formats, a desktop that opens nothing, the zone of UTC, no
// dial-up links, a socket layer that never starts (a clock update fails at once) and a clock setter
// that refuses.
#pragma once

#include "app/cv_main.h"
#include "platform/localclock.h"
#include "platform/localeformats.h"
#include "platform/shellopener.h"

#include <chrono>
#include <memory>
#include <thread>

class FixedClock final : public LocalClock {
public:
    TDateTime Now() const override { return EncodeDate(2026, 7, 15) + 0.5; }
};

class NoShell final : public ShellOpener {
public:
    bool Execute(const std::string&, const std::string&, const std::string&, const std::string&) override
    {
        return false;
    }
};

class UtcZone final : public TimeZoneSource {
public:
    TimeZoneInformation Query() const override { return {}; }
};

class NoDialUp final : public DialUpStatus {
public:
    std::vector<DialUpLink> Links() const override { return {}; }
};

class SteadyTicks final : public TickCounter {
public:
    std::uint32_t Now() const override
    {
        const auto since = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
    }
};

// Refuses to start, so the time query gives up before it looks anything up; after startDelay, to
// keep a query under way that long.
class NoSockets final : public SocketLayer {
public:
    static constexpr int kUnavailable = 10091; // the layer is not ready
    explicit NoSockets(std::chrono::milliseconds startDelay = {}) : m_startDelay(startDelay) {}
    int Startup(std::uint16_t) override
    {
        std::this_thread::sleep_for(m_startDelay);
        return kUnavailable;
    }
    int Cleanup() override { return -1; }
    int LastError() const override { return socket_error::kNotInitialised; }
    void CancelBlockingCall() override {}
    std::optional<std::uint32_t> DottedAddress(const std::string&) override { return std::nullopt; }
    std::optional<std::uint32_t> LookupHost(const std::string&) override { return std::nullopt; }
    std::optional<std::uint16_t> ServiceByPort(std::uint16_t) override { return std::nullopt; }
    std::optional<std::uint16_t> ServiceByName(const std::string&, const std::string&) override { return std::nullopt; }
    SocketHandle OpenStream() override { return kNoSocket; }
    int Connect(SocketHandle, std::uint32_t, std::uint16_t) override { return -1; }
    ReceiveResult Receive(SocketHandle, std::uint8_t&, int) override { return ReceiveResult::Failed; }
    void Shutdown(SocketHandle) override {}
    void Close(SocketHandle) override {}

private:
    std::chrono::milliseconds m_startDelay;
};

inline MainServices TestMainServices()
{
    MainServices services{std::make_unique<FixedClock>(), std::make_unique<FixedLocaleFormats>(),
                          std::make_unique<NoShell>()};
    TimeSyncServices& sync = services.timeSync;
    sync.ticks = std::make_unique<SteadyTicks>();
    sync.sockets = std::make_unique<NoSockets>();
    sync.zone = std::make_unique<UtcZone>();
    sync.setter = MakeRefusingClockSetter();
    sync.dialUp = std::make_unique<NoDialUp>();
    return services;
}
