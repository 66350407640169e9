// Sets TZ for one test and puts the one before back (an empty TZ stays empty, an unset one unset), so
// that children and later tests see the zone the tests were started in. POSIX only: setenv and tzset.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

class ZoneForTest {
public:
    explicit ZoneForTest(const char* zone)
    {
        if (const char* before = std::getenv("TZ"))
            m_before = before;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ZoneForTest()
    {
        if (m_before)
            ::setenv("TZ", m_before->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    ZoneForTest(const ZoneForTest&) = delete;
    ZoneForTest& operator=(const ZoneForTest&) = delete;

private:
    std::optional<std::string> m_before;
};
