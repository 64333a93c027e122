// The service controller over the fake service manager and the virtual clock: the calls, their
// arguments and order, every throwing point, and the wait while the service is pending.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/fake/fake_seams.h"
#include "platform/fake/fake_service_manager.h"
#include "platform/platform.h"
#include "service/service_control_exception.h"
#include "service/workstation_service.h"

namespace {

using platform::ServiceStatus;
enum Operation { Start, Stop, IsRunning };

class ServiceTest : public ::testing::Test {
protected:
    bool Run(Operation operation) {
        if (operation != Start) services.state = SERVICE_RUNNING;  // else the service is stopped
        ServiceControl::WorkstationService service;
        return operation == Start ? service.Start() : operation == Stop ? service.Stop() : service.IsRunning();
    }
    // Every handle opened was closed, the service's before the manager's.
    void ExpectClosedServiceFirst() {
        EXPECT_EQ(services.closed, std::vector<platform::ScHandle>(services.opened.rbegin(), services.opened.rend()));
    }

    platform::FakeClock clock;
    platform::FakeServiceManager services;
    platform::ScopedSeams seams{[this] {
        platform::Seams seams;
        seams.services = &services;
        seams.clock = &clock;
        return seams;
    }()};
};

// ---- The calls of a successful operation: name, argument, and handle (m manager, s service) --
class CallSequence : public ServiceTest, public ::testing::WithParamInterface<std::tuple<Operation, std::string>> {};

TEST_P(CallSequence, MasksStartTypeControlAndOrder) {
    EXPECT_TRUE(Run(std::get<0>(GetParam())));
    ASSERT_EQ(services.opened.size(), 2u);
    std::string calls;
    for (const auto& c : services.calls) {
        const char* to = c.handle == nullptr              ? "-"
                         : c.handle == services.opened[0] ? "m"
                         : c.handle == services.opened[1] ? "s"
                                                          : "?";
        calls += c.name + " " + std::to_string(c.argument) + " " + to + ", ";
    }
    EXPECT_EQ(calls, std::get<1>(GetParam()));
    ExpectClosedServiceFirst();
}

INSTANTIATE_TEST_SUITE_P(
    Operations, CallSequence,
    ::testing::Values(
        std::make_tuple(Start,
                        "OpenManager 22 -, OpenServiceByName 22 m, ChangeStartType 2 s, Start 0 s, QueryStatus 0 s, "
                        "QueryStatus 0 s, Close 0 s, Close 0 m, "),
        std::make_tuple(Stop,
                        "OpenManager 38 -, OpenServiceByName 38 m, ChangeStartType 3 s, Control 1 s, QueryStatus 0 s, "
                        "QueryStatus 0 s, Close 0 s, Close 0 m, "),
        std::make_tuple(IsRunning, "OpenManager 4 -, OpenServiceByName 4 m, QueryStatus 0 s, Close 0 s, Close 0 m, ")));

// ---- Every throwing point: 5 is access denied, any other code the plain exception --------
class ThrowingPoint
    : public ServiceTest,
      public ::testing::WithParamInterface<std::tuple<std::tuple<Operation, const char*, size_t>, DWORD>> {};

TEST_P(ThrowingPoint, ErrorMappedAndHandlesClosedAndStartTypeKept) {
    const Operation operation = std::get<0>(std::get<0>(GetParam()));
    const std::string failing = std::get<1>(std::get<0>(GetParam()));
    const size_t callsBefore = std::get<2>(std::get<0>(GetParam()));
    const DWORD code = std::get<1>(GetParam());
    services.FailCall(failing, 1, code);
    DWORD caught = 0;
    bool denied = false;
    try {
        Run(operation);
    } catch (const ServiceControl::ServiceControlAccessDeniedException& e) {
        denied = true, caught = e.errorCode;
    } catch (const ServiceControl::ServiceControlException& e) {
        caught = e.errorCode;
    }
    EXPECT_EQ(caught, code);
    EXPECT_EQ(denied, code == ERROR_ACCESS_DENIED);
    ASSERT_GT(services.calls.size(), callsBefore);
    EXPECT_EQ(services.calls[callsBefore].name, failing);
    for (size_t i = callsBefore + 1; i < services.calls.size(); ++i) EXPECT_EQ(services.calls[i].name, "Close");
    ExpectClosedServiceFirst();
    // The start type is set before the request and stays set when the request is refused.
    if (callsBefore == 3) {
        EXPECT_EQ(services.startType, operation == Start ? 2u : 3u);
    }
}

INSTANTIATE_TEST_SUITE_P(Points, ThrowingPoint,
                         ::testing::Combine(::testing::Values(std::make_tuple(Start, "OpenManager", 0),
                                                              std::make_tuple(Start, "OpenServiceByName", 1),
                                                              std::make_tuple(Start, "ChangeStartType", 2),
                                                              std::make_tuple(Start, "Start", 3),
                                                              std::make_tuple(Stop, "OpenServiceByName", 1),
                                                              std::make_tuple(Stop, "ChangeStartType", 2),
                                                              std::make_tuple(Stop, "Control", 3),
                                                              std::make_tuple(IsRunning, "OpenManager", 0),
                                                              std::make_tuple(IsRunning, "QueryStatus", 2)),
                                            ::testing::Values(DWORD{5}, DWORD{1060})));

// ---- The wait: pause = hint / 10 within 1 to 10 s; progress restarts the clock; a stall past
// the hint ends it; the final query decides ------------------------------------------------
struct FailedQuery {
    int call = 0;  // 1-based; 0: none fails. What it returns and leaves in the caller's record:
    BOOL returns = FALSE;
    DWORD leftState = SERVICE_RUNNING;
};
struct WaitCase {
    const char* name;
    Operation operation;
    std::vector<ServiceStatus> records;  // the last one repeats
    std::vector<DWORD> sleeps;
    bool result;
    FailedQuery failing = {};
    DWORD startTick = 1000;
};

class Wait : public ServiceTest, public ::testing::WithParamInterface<WaitCase> {};

TEST_P(Wait, PausesAndResult) {
    const WaitCase& c = GetParam();
    clock.now = c.startTick;
    services.statuses = c.records;
    services.failedQueryRecord = ServiceStatus{c.failing.leftState, 0xDEADu, 0};
    if (c.failing.call != 0) services.FailCall("QueryStatus", c.failing.call, 1234, c.failing.returns);
    EXPECT_EQ(Run(c.operation), c.result);
    EXPECT_EQ(clock.sleeps, c.sleeps);
    ExpectClosedServiceFirst();
}

const DWORD kStarting = SERVICE_START_PENDING, kStopping = SERVICE_STOP_PENDING, kRunning = SERVICE_RUNNING,
            kStopped = SERVICE_STOPPED;
ServiceStatus S(DWORD state, DWORD checkPoint = 0, DWORD hint = 0) { return ServiceStatus{state, checkPoint, hint}; }
std::vector<DWORD> Seconds(size_t n) { return std::vector<DWORD>(n, 1000); }

// clang-format off
INSTANTIATE_TEST_SUITE_P(Scripts, Wait, ::testing::Values(
    WaitCase{"Hint0", Start, {S(kStarting, 0, 0), S(kRunning)}, {1000}, true},
    WaitCase{"Hint9999", Start, {S(kStarting, 0, 9999), S(kRunning)}, {1000}, true},
    WaitCase{"Hint10009", Start, {S(kStarting, 0, 10009), S(kRunning)}, {1000}, true},
    WaitCase{"Hint25000", Start, {S(kStarting, 0, 25000), S(kRunning)}, {2500}, true},
    WaitCase{"Hint100010", Start, {S(kStarting, 0, 100010), S(kRunning)}, {10000}, true},
    WaitCase{"AlreadyRunningNoPause", Start, {S(kRunning)}, {}, true},
    WaitCase{"AlreadyStoppedNoPause", Stop, {S(kStopped)}, {}, true},
    WaitCase{"StalledGivesUpOnlyStrictlyPastTheHint", Start, {S(kStarting, 4, 2000)}, Seconds(3), false},
    WaitCase{"RisingCheckpointsFollowedPastTheHint", Start,
             {S(kStarting, 1), S(kStarting, 2), S(kStarting, 3), S(kRunning)}, Seconds(3), true},
    WaitCase{"RisingCheckpointsDuringStop", Stop, {S(kStopping, 1, 25000), S(kStopping, 2, 25000), S(kStopped)},
             {2500, 2500}, true},
    WaitCase{"FallingCheckpointIsNoProgress", Start, {S(kStarting, 5), S(kStarting, 3)}, {1000}, false},
    WaitCase{"CheckpointsCompareUnsigned", Start, {S(kStarting, 1), S(kStarting, 0x80000000u), S(kRunning)},
             Seconds(2), true},
    WaitCase{"ProgressRestartsTheClock", Start,
             {S(kStarting, 0, 1500), S(kStarting, 0, 1500), S(kStarting, 1, 1500)}, Seconds(4), false},
    WaitCase{"LatestWaitHintDecides", Start, {S(kStarting, 0, 0), S(kStarting, 0, 5000)}, Seconds(6), false},
    WaitCase{"PauseFollowsTheLatestHint", Start, {S(kStarting, 0, 0), S(kStarting, 1, 25000), S(kRunning)},
             {1000, 2500}, true},
    WaitCase{"TickWrapDoesNoHarm", Start, {S(kStarting, 0, 3000)}, Seconds(4), false, {}, 0xFFFFFFFFu - 2499},
    WaitCase{"StoppedWhileStarting", Start, {S(kStarting, 1, 3000), S(kStopped)}, {1000}, false},
    WaitCase{"StopOfAServiceThatStaysRunning", Stop, {S(kRunning)}, {}, false},
    WaitCase{"FailedFirstQuerySkipsTheWait", Start, {S(kRunning)}, {}, true, {1, FALSE, kStarting}},
    WaitCase{"FailedQueryDuringTheWaitEndsIt", Start, {S(kStarting, 0, 5000), S(kRunning)}, {1000}, true,
             {2, FALSE, kStarting}},
    WaitCase{"FailedFinalQueryGivesFalse", Start, {S(kRunning)}, {}, false, {2}},
    WaitCase{"FinalQueryReturningTwoGivesFalse", Stop, {S(kStopped)}, {}, false, {2, 2, kStopped}},
    WaitCase{"PendingIsNotRunning", IsRunning, {S(kStarting, 3, 5000)}, {}, false},
    WaitCase{"RunningIsRunning", IsRunning, {S(kRunning)}, {}, true}),
    [](const ::testing::TestParamInfo<WaitCase>& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
