// The service controller over the fake service manager and the virtual clock: the calls, their
// arguments and order, and the wait while the service is pending.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app_bench.h"
#include "service/service_control_exception.h"
#include "service/workstation_service.h"

namespace {

using platform::ServiceStatus;
using Service = ServiceControl::WorkstationService;
enum Operation { Start, Stop, IsRunning };

// ---- The wait: pause = hint / 10 within 1 to 10 s; progress restarts the clock; a stall past
// the hint ends it; the final query decides ------------------------------------------------
struct WaitCase {
    const char* name;
    Operation operation;
    std::vector<ServiceStatus> records;  // the last one repeats
    std::vector<DWORD> sleeps;
    bool result;
    const char* calls = nullptr;  // all calls (see Calls), when given
    // The query that fails (1-based; 0: none), what it returns and the state it leaves in the caller's record.
    int failingQuery = 0;
    BOOL returns = FALSE;
    DWORD leftState = SERVICE_RUNNING, startTick = 1000;
    const char* refused = nullptr;  // the call refused instead, with 1053 (the agent did not answer in time)
};

// The application's bench: the fake service manager and the virtual clock behind the seams, for one case.
struct Wait : ::testing::TestWithParam<WaitCase> {
    // The operation's result.
    std::string Run(Operation operation) {
        if (operation != Start) bench.services.state = SERVICE_RUNNING;  // else the service is stopped
        bool (Service::*const calls[])() = {&Service::Start, &Service::Stop, &Service::IsRunning};
        try {
            return (Service().*calls[operation])() ? "true" : "false";
        } catch (const ServiceControl::ServiceControlException& e) {
            return "error " + std::to_string(e.errorCode);
        }
    }
    // The calls' names, arguments and handles (m manager, s service). Every handle opened was
    // closed, the service's before the manager's.
    std::string Calls() {
        const auto& opened = bench.services.opened;
        EXPECT_EQ(bench.services.closed, std::vector<platform::ScHandle>(opened.rbegin(), opened.rend()));
        std::string calls;
        for (const auto& c : bench.services.calls)
            calls += c.name + ' ' + std::to_string(c.argument) + ' ' +
                     (c.handle ? "ms?"[std::find(begin(opened), end(opened), c.handle) - begin(opened)] : '-') + ", ";
        return calls;
    }

    testing_support::AppBench bench;
};

TEST_P(Wait, PausesAndResult) {
    const WaitCase& c = GetParam();
    bench.clock.now = c.startTick, bench.services.statuses = c.records;
    bench.services.failedQueryRecord = ServiceStatus{c.leftState, 0xDEADu, 0};
    if (c.failingQuery) bench.services.FailCall(c.refused ? c.refused : "QueryStatus", c.failingQuery, 1053, c.returns);
    EXPECT_EQ(Run(c.operation), c.refused ? "error 1053" : c.result ? "true" : "false");
    const std::string calls = Calls();  // checks the closings too
    EXPECT_EQ(std::tuple(bench.clock.sleeps, c.calls ? calls : ""), std::tuple(c.sleeps, c.calls ? c.calls : ""));
}

const DWORD kStarting = SERVICE_START_PENDING, kStopping = SERVICE_STOP_PENDING, kRunning = SERVICE_RUNNING,
            kStopped = SERVICE_STOPPED;
std::vector<DWORD> Seconds(size_t n) { return std::vector<DWORD>(n, 1000); }
// A start that raises its checkpoint `n` times under the longest pause, then runs: no overall limit.
std::vector<ServiceStatus> Rising(DWORD n) {
    std::vector<ServiceStatus> records;
    for (DWORD checkPoint = 1; checkPoint <= n; ++checkPoint) records.push_back({kStarting, checkPoint, 100000});
    return records.push_back({kRunning}), records;
}

// A stop that needs no wait: the start type made manual first, and left so whether the service stopped or not.
const char kStopCalls[] =
    "OpenManager 38 -, OpenServiceByName 38 m, ChangeStartType 3 s, Control 1 s, QueryStatus 0 s, "
    "QueryStatus 0 s, Close 0 s, Close 0 m, ";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Scripts, Wait, ::testing::ValuesIn(std::vector<WaitCase>{
    // One pause, and a hint of 0 is past; states other than running.
    {"Hint0", Start, {{kStarting, 0, 0}}, {1000}, false}, {"PendingIsNotRunning", IsRunning, {{kStarting}}, {}, false},
    {"Hint10009", Start, {{kStarting, 0, 10009}, {kRunning}}, {1000}, true},
    {"Hint100010", Start, {{kStarting, 0, 100010}, {kRunning}}, {10000}, true},
    {"AlreadyRunningNoPause", Start, {{kRunning}}, {}, true, "OpenManager 22 -, OpenServiceByName 22 m, "
     "ChangeStartType 2 s, Start 0 s, QueryStatus 0 s, QueryStatus 0 s, Close 0 s, Close 0 m, "},
    {"AlreadyStoppedNoPause", Stop, {{kStopped}}, {}, true, kStopCalls},
    {"StalledGivesUpOnlyStrictlyPastTheHint", Start, {{kStarting, 4, 100000}}, std::vector<DWORD>(11, 10000), false},
    {"StalledWhileStopping", Stop, {{kStopping, 4, 2000}}, Seconds(3), false},
    {"NoOverallLimit", Start, Rising(70), std::vector<DWORD>(70, 10000), true},
    // A checkpoint that falls is no progress, nor is its rise back below the highest seen.
    {"FallAndRiseIsNoProgress", Start, {{kStarting, 5, 1500}, {kStarting, 1, 1500}, {kStarting, 2, 1500},
                                        {kStarting, 3, 1500}, {kRunning}}, Seconds(2), false},
    {"CheckpointsCompareUnsigned", Start, {{kStarting, 1}, {kStarting, 0x80000000u}, {kRunning}}, Seconds(2), true},
    {"ProgressRestarts", Start, {{kStarting, 0, 1500}, {kStarting, 0, 1500}, {kStarting, 1, 1500}}, Seconds(4), false},
    {"LatestWaitHintDecides", Start, {{kStarting, 0, 0}, {kStarting, 0, 5000}}, Seconds(6), false},
    {"PauseFollowsTheLatestHint", Start, {{kStarting, 0, 0}, {kStarting, 1, 25000}, {kRunning}}, {1000, 2500}, true},
    {"TickWrap", Start, {{kStarting, 0, 3000}}, Seconds(4), false, nullptr, 0, 0, kRunning, 0xFFFFFFFFu - 2499},
    // Stopped while starting: nothing undone, the start type stays automatic.
    {"StoppedWhileStarting", Start, {{kStarting, 1, 3000}, {kStopping, 2, 3000}, {kStopped}}, {1000}, false,
     "OpenManager 22 -, OpenServiceByName 22 m, ChangeStartType 2 s, Start 0 s, QueryStatus 0 s, QueryStatus 0 s, "
     "QueryStatus 0 s, Close 0 s, Close 0 m, "}, {"RunsOnAfterTheStop", Stop, {{kRunning}}, {}, false, kStopCalls},
    {"FailedFirstQuerySkipsTheWait", Start, {{kRunning}}, {}, true, nullptr, 1, FALSE, kStarting},
    {"FailedQueryEndsWait", Start, {{kStarting, 0, 5000}, {kRunning}}, {1000}, true, nullptr, 2, 2, kStarting},
    {"FailedFinalQueryGivesFalse", Start, {{kRunning}}, {}, false, nullptr, 2, 2},  // only 1 is success
    {"PausedIsNotRunning", IsRunning, {{7}}, {}, false}, {"StoppingIsNotRunning", IsRunning, {{kStopping}}, {}, false},
    // A refusal is the caller's to tell: nothing is tried again or put back.
    {"StartRefused", Start, {{kStopped}}, {}, false, "OpenManager 22 -, OpenServiceByName 22 m, ChangeStartType 2 s, "
     "Start 0 s, Close 0 s, Close 0 m, ", 1, FALSE, kRunning, 1000, "Start"},
    {"StopRefused", Stop, {{kRunning}}, {}, false, "OpenManager 38 -, OpenServiceByName 38 m, ChangeStartType 3 s, "
     "Control 1 s, Close 0 s, Close 0 m, ", 1, FALSE, kRunning, 1000, "Control"},
    {"StartTypeRefused", Stop, {{kRunning}}, {}, false, "OpenManager 38 -, OpenServiceByName 38 m, "
     "ChangeStartType 3 s, Close 0 s, Close 0 m, ", 1, FALSE, kRunning, 1000, "ChangeStartType"},
    {"RunningIsRunning", IsRunning, {{kRunning}}, {}, true, "OpenManager 4 -, OpenServiceByName 4 m, QueryStatus 0 s, "
     "Close 0 s, Close 0 m, "}}),
    [](const ::testing::TestParamInfo<WaitCase>& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
