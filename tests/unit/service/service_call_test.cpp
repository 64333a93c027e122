// Which calls the controller makes, with which arguments, and how their failures come out.
#include <tuple>

#include "service/service_control_exception.h"
#include "service_fixture.h"

namespace service_test {
namespace {

using ServiceControl::ServiceControlAccessDeniedException;
using ServiceControl::ServiceControlException;

// ---- The calls of a successful operation, in order --------------------------------------

struct Expected {
    const char* name;
    bool onService;  // false: no handle (OpenManager) or the manager's handle
    DWORD argument;
};

struct SequenceCase {
    Operation operation;
    DWORD finalState;
    bool result;
    std::vector<Expected> calls;
};

class CallSequence : public ServiceControlTest, public ::testing::WithParamInterface<SequenceCase> {};

TEST_P(CallSequence, WrongMaskStartTypeControlOrOrderIsCaught) {
    const SequenceCase& c = GetParam();
    services.statuses = {Status(c.finalState)};

    EXPECT_EQ(Run(c.operation), c.result);

    ASSERT_EQ(services.calls.size(), c.calls.size());
    ASSERT_EQ(services.opened.size(), 2u);
    platform::ScHandle manager = services.opened[0];
    platform::ScHandle service = services.opened[1];
    for (size_t i = 0; i < c.calls.size(); ++i) {
        SCOPED_TRACE(i);
        const auto& call = services.calls[i];
        EXPECT_EQ(call.name, c.calls[i].name);
        EXPECT_EQ(call.argument, c.calls[i].argument);
        if (call.name == "OpenManager") continue;
        EXPECT_EQ(call.handle, c.calls[i].onService ? service : manager);
    }
    EXPECT_EQ(services.CallsNamed("OpenServiceByName")[0]->serviceName, L"QuentaraCorvexWorkstation_x64");
    ExpectAllClosedServiceFirst();
}

INSTANTIATE_TEST_SUITE_P(
    Operations, CallSequence,
    ::testing::Values(
        SequenceCase{Operation::Start, SERVICE_RUNNING, true,
                     {{"OpenManager", false, 0x16}, {"OpenServiceByName", false, 0x16},
                      {"ChangeStartType", true, 2}, {"Start", true, 0}, {"QueryStatus", true, 0},
                      {"QueryStatus", true, 0}, {"Close", true, 0}, {"Close", false, 0}}},
        SequenceCase{Operation::Stop, SERVICE_STOPPED, true,
                     {{"OpenManager", false, 0x26}, {"OpenServiceByName", false, 0x26},
                      {"ChangeStartType", true, 3}, {"Control", true, 1}, {"QueryStatus", true, 0},
                      {"QueryStatus", true, 0}, {"Close", true, 0}, {"Close", false, 0}}},
        SequenceCase{Operation::IsRunning, SERVICE_RUNNING, true,
                     {{"OpenManager", false, 0x4}, {"OpenServiceByName", false, 0x4}, {"QueryStatus", true, 0},
                      {"Close", true, 0}, {"Close", false, 0}}}),
    [](const auto& info) { return std::string(NameOf(info.param.operation)); });

// ---- Every throwing point, with access denied and with other codes ----------------------

struct ThrowCase {
    Operation operation;
    const char* failingCall;
    size_t callsBefore;  // calls made before the failing one
};

class ThrowingPoint : public ServiceControlTest,
                      public ::testing::WithParamInterface<std::tuple<ThrowCase, DWORD>> {};

TEST_P(ThrowingPoint, ErrorCodeLostWrongClassOrHandleLeftOpenIsCaught) {
    const ThrowCase& c = std::get<0>(GetParam());
    const DWORD code = std::get<1>(GetParam());
    services.statuses = {Status(SERVICE_RUNNING)};
    services.FailCall(c.failingCall, 1, code);

    bool accessDenied = false;
    bool plain = false;
    DWORD caught = 0;
    try {
        Run(c.operation);
    } catch (const ServiceControlAccessDeniedException& e) {
        accessDenied = true;
        caught = e.errorCode;
    } catch (const ServiceControlException& e) {
        plain = true;
        caught = e.errorCode;
    }

    EXPECT_EQ(accessDenied, code == ERROR_ACCESS_DENIED);
    EXPECT_EQ(plain, code != ERROR_ACCESS_DENIED);
    EXPECT_EQ(caught, code);

    // Nothing but closing after the failed call.
    ASSERT_GT(services.calls.size(), c.callsBefore);
    EXPECT_EQ(services.calls[c.callsBefore].name, c.failingCall);
    for (size_t i = c.callsBefore + 1; i < services.calls.size(); ++i) EXPECT_EQ(services.calls[i].name, "Close");
    ExpectAllClosedServiceFirst();
}

INSTANTIATE_TEST_SUITE_P(
    Points, ThrowingPoint,
    ::testing::Combine(::testing::Values(ThrowCase{Operation::Start, "OpenManager", 0},
                                         ThrowCase{Operation::Start, "OpenServiceByName", 1},
                                         ThrowCase{Operation::Start, "ChangeStartType", 2},
                                         ThrowCase{Operation::Start, "Start", 3},
                                         ThrowCase{Operation::Stop, "OpenManager", 0},
                                         ThrowCase{Operation::Stop, "OpenServiceByName", 1},
                                         ThrowCase{Operation::Stop, "ChangeStartType", 2},
                                         ThrowCase{Operation::Stop, "Control", 3},
                                         ThrowCase{Operation::IsRunning, "OpenManager", 0},
                                         ThrowCase{Operation::IsRunning, "OpenServiceByName", 1},
                                         ThrowCase{Operation::IsRunning, "QueryStatus", 2}),
                       // Access denied; a missing service; a code whose low bits are 5.
                       ::testing::Values(DWORD{5}, DWORD{1060}, DWORD{0x80070005u})),
    [](const auto& info) {
        const ThrowCase& c = std::get<0>(info.param);
        return std::string(NameOf(c.operation)) + "_" + c.failingCall + "_" + std::to_string(std::get<1>(info.param));
    });

// ---- The running test -------------------------------------------------------------------

struct StateCase {
    DWORD state;
    bool running;
};

class RunningTest : public ServiceControlTest, public ::testing::WithParamInterface<StateCase> {};

TEST_P(RunningTest, PendingOrOtherStateTakenForRunningIsCaught) {
    services.statuses = {Status(GetParam().state, 3, 5000)};
    EXPECT_EQ(Run(Operation::IsRunning), GetParam().running);
    EXPECT_TRUE(clock.sleeps.empty());
}

INSTANTIATE_TEST_SUITE_P(States, RunningTest,
                         ::testing::Values(StateCase{SERVICE_START_PENDING, false}, StateCase{SERVICE_RUNNING, true},
                                           StateCase{7 /* paused */, false}),
                         [](const auto& info) { return "State" + std::to_string(info.param.state); });

}  // namespace
}  // namespace service_test
