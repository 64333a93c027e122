// The service controller against Wine's service control manager and the test agent
// (tests/e2e/agent). Each suite expects a prefix of its own, prepared by
// tests/e2e/service_check.sh: the agent in CORVEX_AGENT_DIR, registered on demand (or not at
// all for MissingAgent).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "agent_bench.h"
#include "platform/platform.h"
#include "platform/win32/win32_seams.h"
#include "platform/win32/win32_service_manager.h"
#include "service/service_control_exception.h"
#include "service/workstation_service.h"

namespace {

using ServiceControl::ServiceControlAccessDeniedException;
using ServiceControl::ServiceControlException;
using ServiceControl::WorkstationService;

const DWORD kSettleMs = 20000;

// The code a call failed with; 0 if it did not throw. An access-denied exception fails the
// test: Wine makes no access checks, so it would mean a wrong mapping.
template <typename Call>
DWORD ErrorOf(Call call) {
    try {
        call();
    } catch (const ServiceControlAccessDeniedException&) {
        ADD_FAILURE() << "access denied under Wine";
        return ERROR_ACCESS_DENIED;
    } catch (const ServiceControlException& e) {
        return e.errorCode;
    }
    return 0;
}

class AgentTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (agent_bench::Folder().empty()) GTEST_SKIP() << "needs the prefix made by tests/e2e/service_check.sh";
        platform::Seams seams;
        seams.services = &services_;
        seams.clock = &clock_;
        scoped_.reset(new platform::ScopedSeams(seams));
    }

    // Registered, stopped, with the given behaviour and an empty report.
    void Prepare(const char* behaviour) {
        ASSERT_TRUE(agent_bench::Exists()) << "the agent is not registered";
        ASSERT_TRUE(agent_bench::WaitForState(SERVICE_STOPPED, kSettleMs)) << "the agent did not settle stopped";
        agent_bench::WriteBehaviour(behaviour);
        agent_bench::ClearReport();
    }

    static DWORD Elapsed(DWORD since) { return ::GetTickCount() - since; }

    platform::Win32ServiceManager services_;
    platform::Win32Clock clock_;
    std::unique_ptr<platform::ScopedSeams> scoped_;
};

// ---- A normal agent ----------------------------------------------------------------------

class NormalAgent : public AgentTest {
protected:
    void SetUp() override {
        AgentTest::SetUp();
        if (!IsSkipped()) Prepare("normal");
    }
    void TearDown() override {
        if (!agent_bench::Folder().empty()) agent_bench::StopIfRunning();
    }
};

TEST_F(NormalAgent, StartRunsItAutomaticAndStopStopsItManual) {
    EXPECT_FALSE(WorkstationService().IsRunning());

    EXPECT_TRUE(WorkstationService().Start());
    EXPECT_EQ(agent_bench::State(), DWORD{SERVICE_RUNNING});
    EXPECT_TRUE(WorkstationService().IsRunning());
    EXPECT_EQ(agent_bench::StartType(), DWORD{SERVICE_AUTO_START});

    EXPECT_TRUE(WorkstationService().Stop());
    EXPECT_EQ(agent_bench::State(), DWORD{SERVICE_STOPPED});
    EXPECT_FALSE(WorkstationService().IsRunning());
    EXPECT_EQ(agent_bench::StartType(), DWORD{SERVICE_DEMAND_START});

    const std::string report = agent_bench::ReadReport();
    EXPECT_NE(report.find("start behaviour normal"), std::string::npos) << report;
    EXPECT_NE(report.find("control stop"), std::string::npos) << report;
}

TEST_F(NormalAgent, StartOfARunningServiceFailsWith1056AndStaysAutomatic) {
    ASSERT_TRUE(WorkstationService().Start());
    EXPECT_EQ(ErrorOf([] { WorkstationService().Start(); }), DWORD{ERROR_SERVICE_ALREADY_RUNNING});
    EXPECT_EQ(agent_bench::StartType(), DWORD{SERVICE_AUTO_START});
    EXPECT_TRUE(WorkstationService().IsRunning());
}

TEST_F(NormalAgent, StopOfAStoppedServiceFailsWith1062AndBecomesManual) {
    ASSERT_TRUE(WorkstationService().Start());
    ASSERT_TRUE(WorkstationService().Stop());
    ASSERT_TRUE(agent_bench::WaitForState(SERVICE_STOPPED, kSettleMs));
    ASSERT_TRUE(WorkstationService().Start());  // automatic again
    ASSERT_TRUE(WorkstationService().Stop());

    EXPECT_EQ(ErrorOf([] { WorkstationService().Stop(); }), DWORD{ERROR_SERVICE_NOT_ACTIVE});
    EXPECT_EQ(agent_bench::StartType(), DWORD{SERVICE_DEMAND_START});
}

// ---- Agents that take their time, hang, refuse or fail ------------------------------------

TEST_F(AgentTest, SlowStartAndStopAreFollowedToTheEnd) {
    Prepare("slow");
    DWORD since = ::GetTickCount();
    EXPECT_TRUE(WorkstationService().Start());
    const DWORD startMs = Elapsed(since);
    EXPECT_EQ(agent_bench::State(), DWORD{SERVICE_RUNNING});

    since = ::GetTickCount();
    EXPECT_TRUE(WorkstationService().Stop());
    const DWORD stopMs = Elapsed(since);
    EXPECT_EQ(agent_bench::State(), DWORD{SERVICE_STOPPED});

    const std::string report = agent_bench::ReadReport();
    EXPECT_NE(report.find("state start-pending checkpoint 4"), std::string::npos) << report;
    EXPECT_NE(report.find("state stop-pending checkpoint 5"), std::string::npos) << report;
    // The stop was waited for while the agent raised its checkpoint.
    EXPECT_GE(stopMs, 2000u) << report;
    RecordProperty("start_ms", static_cast<int>(startMs));
    RecordProperty("stop_ms", static_cast<int>(stopMs));
}

TEST_F(AgentTest, StuckStartIsGivenUpWithFalse) {
    Prepare("stuck");
    const DWORD since = ::GetTickCount();
    EXPECT_FALSE(WorkstationService().Start());
    // A 2000 ms wait hint and a checkpoint that never rises: given up after about three
    // one-second pauses, not waited for without end.
    EXPECT_LT(Elapsed(since), 15000u);
    EXPECT_EQ(agent_bench::State(), DWORD{SERVICE_START_PENDING});
    EXPECT_FALSE(WorkstationService().IsRunning());
    EXPECT_EQ(agent_bench::StartType(), DWORD{SERVICE_AUTO_START});
}

TEST_F(AgentTest, RefusedStopThrowsAndLeavesItRunningButManual) {
    Prepare("refuse-stop");
    ASSERT_TRUE(WorkstationService().Start());
    EXPECT_EQ(ErrorOf([] { WorkstationService().Stop(); }), DWORD{ERROR_INVALID_SERVICE_CONTROL});
    EXPECT_TRUE(WorkstationService().IsRunning());
    EXPECT_EQ(agent_bench::StartType(), DWORD{SERVICE_DEMAND_START});
}

TEST_F(AgentTest, ServiceExitingDuringStartGivesFalse) {
    Prepare("exit-during-start");
    EXPECT_FALSE(WorkstationService().Start());
    EXPECT_TRUE(agent_bench::WaitForState(SERVICE_STOPPED, kSettleMs));
    EXPECT_FALSE(WorkstationService().IsRunning());
    const std::string report = agent_bench::ReadReport();
    EXPECT_NE(report.find("state stopped checkpoint 0 wait-hint 0 exit-code"), std::string::npos) << report;
}

// ---- No agent registered -----------------------------------------------------------------

class MissingAgent : public AgentTest {};

TEST_F(MissingAgent, EveryOperationFailsWith1060) {
    ASSERT_FALSE(agent_bench::Exists()) << "this suite needs a prefix without the agent";
    EXPECT_EQ(ErrorOf([] { WorkstationService().Start(); }), DWORD{ERROR_SERVICE_DOES_NOT_EXIST});
    EXPECT_EQ(ErrorOf([] { WorkstationService().Stop(); }), DWORD{ERROR_SERVICE_DOES_NOT_EXIST});
    EXPECT_EQ(ErrorOf([] { WorkstationService().IsRunning(); }), DWORD{ERROR_SERVICE_DOES_NOT_EXIST});
}

}  // namespace
