// Platform services for tests of the main window: a clock stopped at noon on 15 July 2026, fixed
// English formats and a desktop that opens nothing.
#pragma once

#include "app/cv_main.h"
#include "platform/localclock.h"
#include "platform/localeformats.h"
#include "platform/shellopener.h"

#include <memory>

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

inline MainServices TestMainServices()
{
    return {std::make_unique<FixedClock>(), std::make_unique<FixedLocaleFormats>(), std::make_unique<NoShell>()};
}
