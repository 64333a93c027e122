// The wait while the service is pending: pause lengths, progress, giving up, failed queries.
#include <cstdint>

#include "service_fixture.h"

namespace service_test {
namespace {

const DWORD kStartPending = SERVICE_START_PENDING;
const DWORD kStopPending = SERVICE_STOP_PENDING;

// ---- Pause lengths ----------------------------------------------------------------------

struct PauseCase {
    DWORD waitHint;
    DWORD pause;
};

class PauseLength : public ServiceControlTest, public ::testing::WithParamInterface<PauseCase> {};

TEST_P(PauseLength, PauseNotATenthOfTheHintWithinOneToTenSecondsIsCaught) {
    // Pending once, then running: exactly one pause.
    services.statuses = {Status(kStartPending, 0, GetParam().waitHint), Status(SERVICE_RUNNING)};
    EXPECT_TRUE(Run(Operation::Start));
    EXPECT_EQ(clock.sleeps, std::vector<DWORD>{GetParam().pause});
}

INSTANTIATE_TEST_SUITE_P(Hints, PauseLength,
                         ::testing::Values(PauseCase{0, 1000}, PauseCase{10009, 1000}, PauseCase{10010, 1001},
                                           PauseCase{200000, 10000}, PauseCase{0xFFFFFFFFu, 10000}),
                         [](const auto& info) { return "Hint" + std::to_string(info.param.waitHint); });

// ---- Whole waits ------------------------------------------------------------------------

struct WaitCase {
    const char* name;
    Operation operation;
    std::vector<platform::ServiceStatus> records;  // the last one repeats
    std::vector<DWORD> sleeps;
    bool result;
    std::vector<int> failingQueries = {};  // 1-based, counted over the operation's queries
    BOOL failedQueryReturns = FALSE;
    DWORD startTick = 1000;
    // The state a failing query leaves in its record; code that reads it anyway goes wrong.
    DWORD garbageState = SERVICE_RUNNING;
};

class Wait : public ServiceControlTest, public ::testing::WithParamInterface<WaitCase> {};

TEST_P(Wait, Behaves) {
    const WaitCase& c = GetParam();
    clock.now = c.startTick;
    services.statuses = c.records;
    services.failedQueryRecord = Status(c.garbageState, 0xDEADu, 0);
    for (int query : c.failingQueries) services.FailCall("QueryStatus", query, 1234, c.failedQueryReturns);

    EXPECT_EQ(Run(c.operation), c.result);
    EXPECT_EQ(clock.sleeps, c.sleeps);
    ExpectAllClosedServiceFirst();
}

const std::vector<DWORD> kOnePause{1000};

INSTANTIATE_TEST_SUITE_P(
    Scripts, Wait,
    ::testing::Values(
        WaitCase{"AlreadyRunningAtFirstQueryMakesNoPause", Operation::Start, {Status(SERVICE_RUNNING)}, {}, true},
        WaitCase{"StalledWithHintZeroGivesUpAfterOnePause", Operation::Start, {Status(kStartPending, 0, 0)},
                 kOnePause, false},
        WaitCase{"StalledGivesUpOnlyWhenStrictlyPastTheHint", Operation::Start, {Status(kStartPending, 4, 2000)},
                 {1000, 1000, 1000}, false},
        WaitCase{"RisingCheckpointsAreFollowedToTheEnd", Operation::Start,
                 {Status(kStartPending, 1, 0), Status(kStartPending, 2, 0), Status(kStartPending, 3, 0),
                  Status(SERVICE_RUNNING, 0, 0)},
                 {1000, 1000, 1000}, true},
        WaitCase{"RisingCheckpointsDuringStopAreFollowed", Operation::Stop,
                 {Status(kStopPending, 1, 25000), Status(kStopPending, 2, 25000), Status(SERVICE_STOPPED)},
                 {2500, 2500}, true},
        WaitCase{"FallingCheckpointIsNoProgress", Operation::Start,
                 {Status(kStartPending, 5, 0), Status(kStartPending, 3, 0)}, kOnePause, false},
        WaitCase{"CheckpointsCompareUnsigned", Operation::Start,
                 {Status(kStartPending, 1, 0), Status(kStartPending, 0x80000000u, 0), Status(SERVICE_RUNNING)},
                 {1000, 1000}, true},
        WaitCase{"ProgressRestartsTheClock", Operation::Start,
                 {Status(kStartPending, 0, 1500), Status(kStartPending, 0, 1500), Status(kStartPending, 1, 1500)},
                 {1000, 1000, 1000, 1000}, false},
        WaitCase{"LatestWaitHintDecides", Operation::Start,
                 {Status(kStartPending, 0, 0), Status(kStartPending, 0, 5000)},
                 {1000, 1000, 1000, 1000, 1000, 1000}, false},
        WaitCase{"TickCounterWrapDoesNoHarm", Operation::Start, {Status(kStartPending, 0, 3000)},
                 {1000, 1000, 1000, 1000}, false, {}, FALSE, 0xFFFFFFFFu - 499},
        WaitCase{"ServiceStoppingWhileStartingGivesFalse", Operation::Start,
                 {Status(kStartPending, 1, 3000), Status(SERVICE_STOPPED)}, kOnePause, false},
        WaitCase{"StopOfAServiceThatStaysRunningGivesFalse", Operation::Stop, {Status(SERVICE_RUNNING)}, {}, false},
        WaitCase{"FailedFirstQuerySkipsTheWait", Operation::Start, {Status(SERVICE_RUNNING)}, {}, true, {1},
                 FALSE, 1000, kStartPending},
        WaitCase{"FailedQueryDuringTheWaitEndsIt", Operation::Start,
                 {Status(kStartPending, 0, 5000), Status(SERVICE_RUNNING)}, kOnePause, true, {2}, FALSE, 1000,
                 kStartPending},
        WaitCase{"FailedFinalQueryGivesFalse", Operation::Start, {Status(SERVICE_RUNNING)}, {}, false, {2}},
        WaitCase{"FinalQueryReturningTwoGivesFalse", Operation::Stop, {Status(SERVICE_STOPPED)}, {}, false, {2},
                 2, 1000, SERVICE_STOPPED}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ServiceControlTest, WaitLongerThanOneHintWhileProgressContinues) {
    // No overall limit: 50 passes of progress, each within a 1000 ms hint.
    for (DWORD checkPoint = 1; checkPoint <= 50; ++checkPoint) {
        services.statuses.push_back(Status(kStartPending, checkPoint, 1000));
    }
    services.statuses.push_back(Status(SERVICE_RUNNING));
    EXPECT_TRUE(Run(Operation::Start));
    EXPECT_EQ(clock.sleeps.size(), 50u);
}

}  // namespace
}  // namespace service_test
