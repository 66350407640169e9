// Setting the clock from a scriptable server on 127.0.0.1: what is set, logged, recorded and
// reported for each outcome and requester. The clock setter only records; time is fake.
#include "app/appsettings.h"
#include "app/utils.h"
#include "support/fake_timesync.h"
#include "support/tempdir.h"
#include "support/timeserver.h"
#include "timesync/clockupdate.h"
#include "timesync/nettime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

constexpr double kSecond = 1.0 / kSecondsPerDay;
// The computer's local time when the update begins: 1 May 2024 12:00:00.500 (days since
// 30 December 1899, written out: the date functions are not ready during static initialisation).
constexpr TDateTime kStart = 45413.0 + (12 * 3600 + 0.5) / kSecondsPerDay;
// The query's waits after the reply: the close and the stop's two rounds.
constexpr double kQueryWaits = 1.2 * kSecond;

// The Time-protocol reply for a UTC date-time.
std::vector<std::uint8_t> ReplyFor(TDateTime utc)
{
    return TimeBytes(static_cast<std::uint32_t>(std::llround((utc - NetTime::kTimeEpoch) * kSecondsPerDay)));
}

class ClockUpdateTest : public ::testing::Test {
protected:
    ClockUpdateTest() { settingsFile = m_folder.File("chronivo.ini"); }

    // An updater asking the Time service at port, with clock as the computer's (by default world).
    ClockUpdater& Updater(std::uint16_t port, const LocalClock* clock = nullptr)
    {
        ClockUpdater::Hooks hooks;
        hooks.busyCursor = [this](bool busy) { cursor.push_back(busy); };
        hooks.report = [this](const UpdateOutcome& outcome) {
            reports.push_back({OutcomeMessage(outcome), outcome.Icon()});
        };
        hooks.runQuery = runner;
        hooks.recordOutcome = [this](const UpdateOutcome& outcome) {
            inifile::WriteValues(settingsFile,
                                 settings_file::ClockUpdateOutcomeChanges(outcome.recorded, OutcomeMessage(outcome), formats));
        };
        m_updater.emplace(ClockUpdater::Services{net, setter, clock ? *clock : world, ticks, std::to_string(port)},
                          std::move(hooks));
        return *m_updater;
    }
    // One request at the current tickTime.
    bool Update(ClockUpdater& updater, UpdateRequester requester)
    {
        return updater.UpdateSystemClock({tickTime, "127.0.0.1", requester}, lastUpdate);
    }
    std::string Clock(const char* key) const { return ReadIniString(settingsFile, "Clock", key, 256, "absent"); }
    std::string FileText() const
    {
        std::ifstream file(settingsFile);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    struct Report {
        std::string message;
        MessageIcon icon;
    };

    TestClock ticks;
    FakePump pump{ticks};
    FakeTimeZone zone; // UTC
    std::unique_ptr<SocketLayer> sockets = MakeSystemSocketLayer();
    NetTime net{{*sockets, ticks, pump, zone}};
    RecordingClockSetter setter;
    WorldClock world{ticks, kStart};
    FixedLocaleFormats formats;
    std::string settingsFile;
    TDateTime tickTime = kStart;
    TDateTime lastUpdate = 0.0;
    std::vector<bool> cursor;
    std::vector<Report> reports;
    QueryRunner runner; // none: the query runs at once

private:
    TempDir m_folder;
    std::optional<ClockUpdater> m_updater;
};

TEST_F(ClockUpdateTest, ServerBehindIsSetAndLoggedWithANegativeCorrection)
{
    // The server is 1 s behind: it says 11:59:59, the middle of which is 11:59:59.500, where the
    // computer says 12:00:00.500.
    ScriptedTimeServer server(PromptReply(ReplyFor(kStart - 1.5 * kSecond)));
    ASSERT_TRUE(Update(Updater(server.Port()), UpdateRequester::SetClockButton));

    // The reply is carried forward by the close and the stop that came after it.
    const TDateTime set = kStart - kSecond + kQueryWaits;
    ASSERT_EQ(setter.requests.size(), 1u);
    EXPECT_NEAR(setter.requests[0], set, 1e-9);
    const std::string message = "Clock updated using 127.0.0.1  (Correction: -1.00 seconds)";
    EXPECT_EQ(Clock("Log"), "01/05/2024 12:00:00  " + message);
    EXPECT_EQ(Clock("Last update"), DateTimeToSettingText(setter.requests[0]));
    EXPECT_LT(FileText().find("Log="), FileText().find("Last update=")) << "the log line is written first";
    EXPECT_EQ(lastUpdate, kStart);
    EXPECT_EQ(cursor, (std::vector<bool>{true, false}));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].message, message);
    EXPECT_EQ(reports[0].icon, MessageIcon::Information);
}

TEST_F(ClockUpdateTest, EachOutcomeIsLoggedAndOnlyTheButtonShowsIt)
{
    struct OutcomeCase {
        const char* name;
        bool serverAnswers;
        bool setterSets;
        UpdateRequester requester;
        std::string message;
        std::optional<MessageIcon> shown;
    };
    const std::string unreachable = "Unable to access server 127.0.0.1";
    const std::vector<OutcomeCase> cases{
        {"unreachable, automatic", false, true, UpdateRequester::Timer, unreachable, {}},
        {"unreachable, Set Clock", false, true, UpdateRequester::SetClockButton, unreachable, MessageIcon::Exclamation},
        {"clock not set, Set Clock", true, false, UpdateRequester::SetClockButton, "Unable to update system clock",
         MessageIcon::Exclamation},
        {"clock not set, automatic", true, false, UpdateRequester::Timer, "Unable to update system clock", {}},
        {"set, Sync Clock",
         true,
         true,
         UpdateRequester::SyncMenu,
         "Clock updated using 127.0.0.1  (Correction: 0.00 seconds)",
         {}},
    };
    for (const OutcomeCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(settingsFile);
        reports.clear();
        setter.requests.clear();
        setter.answer = c.setterSets;
        // A new tick for every attempt, at half past a second, like the first.
        ticks.Advance(1000 - ticks.Elapsed() % 1000);
        tickTime = world.Now();
        // A server on the computer's clock: it sends the whole second, the computer is half-way through it.
        ScriptedTimeServer server(PromptReply(ReplyFor(world.Now() - 0.5 * kSecond)));
        const std::uint16_t port = c.serverAnswers ? server.Port() : UnusedPort();

        ASSERT_TRUE(Update(Updater(port), c.requester));
        // The local time after the query: the stamp and the record of every failure.
        const TDateTime after = world.Now();
        const TDateTime recorded = c.message.starts_with("Clock updated") ? setter.requests.at(0) : after;
        EXPECT_EQ(Clock("Log"), FormatShortDateLongTime(recorded, formats) + "  " + c.message);
        EXPECT_EQ(Clock("Last update"), DateTimeToSettingText(recorded));
        EXPECT_EQ(setter.requests.size(), c.serverAnswers ? 1u : 0u);
        ASSERT_EQ(reports.size(), c.shown ? 1u : 0u);
        if (c.shown) {
            EXPECT_EQ(reports[0].message, c.message);
            EXPECT_EQ(reports[0].icon, *c.shown);
        }
    }
}

// The answer's era comes from its top bit alone: a right server is read right from 1968 to 2104
// whatever the computer's clock says, also across the count's wrap on 7 February 2036 06:28:16.
TEST_F(ClockUpdateTest, AnswersAreReadInTheirEraWhateverTheComputersClock)
{
    struct EraCase {
        TDateTime computer;     // the computer's clock when the update begins
        TDateTime server;       // the whole second the server sends
        const char* stamp;      // of the log line: the server's time once the query's waits are over
        const char* correction; // seconds
    };
    auto at = [](int year, int month, int day, int hour, int minute, int second) {
        return EncodeDate(year, month, day) + EncodeTime(hour, minute, second, 0);
    };
    // A right clock is half-way through the second the server sends.
    auto rightAt = [&](TDateTime server) { return server + 0.5 * kSecond; };
    const TDateTime flatBattery = rightAt(at(1970, 1, 1, 0, 0, 0));
    const TDateTime now = at(2026, 12, 8, 9, 0, 0);
    const std::vector<EraCase> cases{
        {flatBattery, at(1970, 1, 1, 0, 0, 0), "01/01/1970 00:00:01", "0.00"},
        {flatBattery, now, "08/12/2026 09:00:01", "1796720400.00"},
        {rightAt(at(2035, 6, 1, 12, 0, 0)), at(2035, 6, 1, 12, 0, 0), "01/06/2035 12:00:01", "0.00"},
        {rightAt(at(2036, 2, 7, 6, 28, 15)), at(2036, 2, 7, 6, 28, 15), "07/02/2036 06:28:16", "0.00"},
        {rightAt(at(2036, 2, 7, 6, 28, 16)), at(2036, 2, 7, 6, 28, 16), "07/02/2036 06:28:17", "0.00"},
        {rightAt(at(2036, 2, 7, 6, 28, 17)), at(2036, 2, 7, 6, 28, 17), "07/02/2036 06:28:18", "0.00"},
        {rightAt(at(2040, 1, 1, 12, 0, 0)), at(2040, 1, 1, 12, 0, 0), "01/01/2040 12:00:01", "0.00"},
        {rightAt(at(2040, 1, 1, 12, 0, 0)), now, "08/12/2026 09:00:01", "-412311600.00"},
        {rightAt(at(2100, 3, 1, 0, 0, 0)), at(2100, 3, 1, 0, 0, 0), "01/03/2100 00:00:01", "0.00"},
    };
    for (const EraCase& c : cases) {
        SCOPED_TRACE(std::string(c.stamp) + ", the computer at " + FormatShortDateLongTime(c.computer, formats));
        const WorldClock computer(ticks, c.computer - ticks.Elapsed() / static_cast<double>(kMSecsPerDay));
        ScriptedTimeServer server(PromptReply(ReplyFor(c.server)));
        tickTime += kSecond;
        ASSERT_TRUE(Update(Updater(server.Port(), &computer), UpdateRequester::Timer));
        EXPECT_EQ(Clock("Log"), std::string(c.stamp) + "  Clock updated using 127.0.0.1  (Correction: " +
                                    c.correction + " seconds)");
    }
}

TEST_F(ClockUpdateTest, SecondRequestInTheSameTickIsRefused)
{
    ScriptedTimeServer server(PromptReply(ReplyFor(kStart)));
    lastUpdate = tickTime;
    EXPECT_FALSE(Update(Updater(server.Port()), UpdateRequester::SetClockButton));
    EXPECT_EQ(server.Connections(), 0);
    EXPECT_EQ(Clock("Log"), "absent");
    EXPECT_TRUE(cursor.empty());
}

TEST_F(ClockUpdateTest, RequestWhileAnUpdateRunsIsRefused)
{
    ScriptedTimeServer server(PromptReply(ReplyFor(kStart)));
    ClockUpdater& updater = Updater(server.Port());
    std::optional<bool> nested;
    pump.onMessages = [&] {
        // A click on "Set Clock" handled during the query's waits, a tick later.
        if (nested)
            return;
        tickTime += kSecond;
        nested = Update(updater, UpdateRequester::SetClockButton);
    };
    EXPECT_TRUE(Update(updater, UpdateRequester::Timer));
    EXPECT_EQ(nested, std::optional<bool>(false));
    EXPECT_EQ(server.Connections(), 1);
    EXPECT_EQ(lastUpdate, kStart);
    EXPECT_FALSE(updater.Busy());
    EXPECT_TRUE(reports.empty());
}

// The program runs the query elsewhere and gets its answer later: the attempt is recorded when it
// begins, every request until the answer is refused, and the outcome comes with the answer.
TEST_F(ClockUpdateTest, AnswerThatComesLaterIsSetLoggedAndShownThen)
{
    ScriptedTimeServer server(PromptReply(ReplyFor(kStart - 1.5 * kSecond)));
    std::function<QueryAnswer()> pendingQuery;
    std::function<void(const QueryAnswer&)> pendingDone;
    runner = [&](std::function<QueryAnswer()> query, std::function<void(const QueryAnswer&)> done) {
        pendingQuery = std::move(query);
        pendingDone = std::move(done);
    };
    ClockUpdater& updater = Updater(server.Port());
    ASSERT_TRUE(Update(updater, UpdateRequester::SetClockButton));
    EXPECT_EQ(lastUpdate, kStart);
    EXPECT_TRUE(updater.Busy());
    EXPECT_EQ(cursor, std::vector<bool>{true});
    EXPECT_EQ(server.Connections(), 0) << "the query has not run yet";

    // Ticks go on while it runs; no request of theirs starts another attempt.
    tickTime += kSecond;
    EXPECT_FALSE(Update(updater, UpdateRequester::Timer));
    EXPECT_FALSE(Update(updater, UpdateRequester::SetClockButton));
    EXPECT_EQ(lastUpdate, kStart);

    const QueryAnswer answer = pendingQuery();
    EXPECT_EQ(Clock("Log"), "absent");
    ticks.Advance(300); // the hand-back takes a while: the clock is set that much later
    pendingDone(answer);
    ASSERT_EQ(setter.requests.size(), 1u);
    EXPECT_NEAR(setter.requests[0], kStart - kSecond + kQueryWaits + 0.3 * kSecond, 1e-9);
    EXPECT_EQ(Clock("Last update"), DateTimeToSettingText(setter.requests[0]));
    EXPECT_EQ(cursor, (std::vector<bool>{true, false}));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].message, "Clock updated using 127.0.0.1  (Correction: -1.00 seconds)");
    EXPECT_FALSE(updater.Busy());
    EXPECT_TRUE(Update(updater, UpdateRequester::SyncMenu)) << "a request after the answer runs";
}

TEST(ClockUpdateFormats, TextsAreFixedWhateverTheLocale)
{
    struct CorrectionCase {
        double seconds;
        const char* text;
    };
    for (const CorrectionCase& c : {CorrectionCase{1.25, "1.25"},
                                    {-0.4, "-0.40"},
                                    {-1.5, "-1.50"},
                                    {0.0, "0.00"},
                                    {-0.001, "0.00"},
                                    {3600.004, "3600.00"},
                                    {-0.006, "-0.01"}}) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CorrectionText(c.seconds), c.text);
    }
    // "Last update": up to 15 significant digits, fixed, trailing zeros dropped.
    EXPECT_EQ(DateTimeToSettingText(37316.5), "37316.5");
    EXPECT_EQ(DateTimeToSettingText(37316.541666666664), "37316.5416666667");
    EXPECT_EQ(DateTimeToSettingText(45000.0), "45000");
}

} // namespace
