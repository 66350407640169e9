// Each test sees only its own settings saves. The saves run on a thread of the program's that outlives
// a test, and report a failure "since the last wait" — so a save an earlier test queued into a folder
// it has since removed would be blamed on the next test when the programs run all their tests in one
// process (as scripts/test-elsewhere.sh runs them). Before each test, the earlier saves are made or
// given up and their outcome is dropped.
#include "app/utils.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

class SavesBetweenTests : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override
    {
        std::string reason;
        FinishIniSaves(std::chrono::seconds(10), reason);
    }
};

const bool kRegistered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new SavesBetweenTests);
    return true;
}();

} // namespace
