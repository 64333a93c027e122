// The application's service commands turn every controller error into the right message
// and a FALSE result.
#include <gtest/gtest.h>

#include <functional>

#include "app/setup_client_app.h"
#include "app_bench.h"

namespace {

using testing_support::AppBench;
using platform::FakeServiceManager;

struct CommandCase {
    const char* name;
    std::function<void(FakeServiceManager&)> arrange;
    std::function<BOOL(CSetupClientApp&)> command;
    BOOL result;
    std::vector<std::wstring> messages;
    int startRequests;
    int stopRequests;
};

void Missing(FakeServiceManager& s) { s.installedService.clear(); }
void Running(FakeServiceManager& s) { s.state = SERVICE_RUNNING; }
void Stopped(FakeServiceManager& s) { s.state = SERVICE_STOPPED; }
void Denied(FakeServiceManager& s) { s.FailCall("OpenManager", 0, ERROR_ACCESS_DENIED); }
void RunningStopRefused(FakeServiceManager& s) {
    s.state = SERVICE_RUNNING;
    s.FailCall("Control", 0, 1052);
}
void StoppedStartsThenDies(FakeServiceManager& s) { s.stateAfterStart = SERVICE_STOPPED; }

BOOL Start(CSetupClientApp& app) { return app.StartService(); }
BOOL Stop(CSetupClientApp& app) { return app.StopService(); }
BOOL Query(CSetupClientApp& app) { return app.IsServiceRunning(); }
BOOL RestartStrict(CSetupClientApp& app) { return app.RestartService(FALSE); }
BOOL RestartLenient(CSetupClientApp& app) { return app.RestartService(TRUE); }

class ServiceCommandTest : public ::testing::TestWithParam<CommandCase> {};

TEST_P(ServiceCommandTest, ShowsTheRightMessageAndGivesTheRightResult) {
    const CommandCase& c = GetParam();
    AppBench bench;
    bench.module.path = L"C:\\Tools\\configurator.exe";  // the caption is the program's name
    c.arrange(bench.services);
    CSetupClientApp app;
    app.InitAppTitle();
    EXPECT_EQ(c.command(app), c.result);
    std::vector<std::wstring> shown;
    for (const auto& box : bench.prompts.messageBoxes) {
        shown.push_back(box.text);
        EXPECT_EQ(box.type, 16u) << "error icon and OK only";
        EXPECT_EQ(box.caption, L"configurator");
    }
    EXPECT_EQ(shown, c.messages);
    EXPECT_EQ(bench.services.Count("Start"), c.startRequests);
    EXPECT_EQ(bench.services.Count("Control"), c.stopRequests);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ServiceCommandTest,
    ::testing::Values(
        CommandCase{"StatusOfMissingService", Missing, Query, FALSE, {L"Unknown system error"}, 0, 0},
        CommandCase{"StartOfMissingService", Missing, Start, FALSE, {L"Unknown system error. Code: 1060"}, 0, 0},
        CommandCase{"StopOfMissingService", Missing, Stop, FALSE, {L"Unknown system error"}, 0, 0},
        CommandCase{"StartOfRunningService", Running, Start, FALSE, {L"Unknown system error. Code: 1056"}, 1, 0},
        CommandCase{"StartAccessDenied", Denied, Start, FALSE, {L"Access denied"}, 0, 0},
        CommandCase{"StopAccessDenied", Denied, Stop, FALSE, {L"Access denied"}, 0, 0},
        CommandCase{"StatusAccessDenied", Denied, Query, FALSE, {L"Access denied"}, 0, 0},
        CommandCase{"StartAcceptedButNotRunning", StoppedStartsThenDies, Start, FALSE, {}, 1, 0},
        CommandCase{"StartSucceeds", Stopped, Start, TRUE, {}, 1, 0},
        CommandCase{"StopSucceeds", Running, Stop, TRUE, {}, 0, 1},
        CommandCase{"RestartOfStoppedServiceOnlyStarts", Stopped, RestartStrict, TRUE, {}, 1, 0},
        CommandCase{"RestartOfRunningService", Running, RestartStrict, TRUE, {}, 1, 1},
        CommandCase{"StrictRestartStopsAtARefusedStop", RunningStopRefused, RestartStrict, FALSE,
                    {L"Unknown system error"}, 0, 1},
        CommandCase{"LenientRestartStartsAfterARefusedStop", RunningStopRefused, RestartLenient, FALSE,
                    {L"Unknown system error", L"Unknown system error. Code: 1056"}, 1, 1},
        CommandCase{"RestartOfMissingServiceShowsBothMessages", Missing, RestartLenient, FALSE,
                    {L"Unknown system error", L"Unknown system error. Code: 1060"}, 0, 0}),
    [](const ::testing::TestParamInfo<CommandCase>& info) { return std::string(info.param.name); });

}  // namespace
