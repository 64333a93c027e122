// The workstation configuration dialog: its service buttons, the question before a start,
// and OK's restart.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "dialogs/client_configuration_dlg.h"
#include "res/resource.h"

namespace {

using testing_support::DialogDriver;

class ConfigurationDialogTest : public testing_support::DialogFixture {
protected:
    INT_PTR Run(std::function<void(DialogDriver&)> user) { return DialogFixture::Run(dialog, std::move(user)); }

    static std::vector<bool> Buttons(const DialogDriver& w) {
        return {w.Enabled(IDC_START), w.Enabled(IDC_STOP), w.Enabled(IDC_RESTART)};
    }

    CClientConfigurationDlg dialog;
};

const std::vector<bool> kShowsRunning{false, true, true};
const std::vector<bool> kShowsStopped{true, false, false};

TEST_F(ConfigurationDialogTest, ButtonsFollowTheServiceStateAndAStartWithoutEditsAsksNothing) {
    bench.services.state = SERVICE_RUNNING;
    Run([&](DialogDriver& w) {
        EXPECT_EQ(Buttons(w), kShowsRunning);
        w.Click(IDC_STOP);
        EXPECT_EQ(Buttons(w), kShowsStopped);
        w.Click(IDC_LOAD_DEFAULTS);  // not an edit of the user's
        w.Click(IDC_START);
        EXPECT_EQ(Buttons(w), kShowsRunning);
        w.Click(IDCANCEL);
    });
    EXPECT_TRUE(bench.prompts.messageBoxes.empty());
    EXPECT_EQ(bench.services.startType, static_cast<DWORD>(SERVICE_AUTO_START));
}

struct AnswerCase {
    const char* name;
    int answer;
    bool saved;
    bool started;
    bool modifiedAfter;
};

class StartQuestionTest : public ConfigurationDialogTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(StartQuestionTest, EachAnswerDoesWhatItSays) {
    bench.prompts.answers.push_back(GetParam().answer);
    Run([&](DialogDriver& w) {
        w.Type(IDC_SERVER_HOST, L"new.example.com");
        w.Click(IDC_START);
        EXPECT_EQ(Buttons(w), GetParam().started ? kShowsRunning : kShowsStopped);
        w.Click(IDCANCEL);
    });
    ASSERT_FALSE(bench.prompts.messageBoxes.empty());
    EXPECT_EQ(bench.prompts.messageBoxes[0].text, L"Do you want to apply the settings?");
    EXPECT_EQ(bench.prompts.messageBoxes[0].type, 35u);
    EXPECT_EQ(bench.prompts.messageBoxes.size(), 1u) << "no error after any answer";
    EXPECT_EQ(bench.ReadAgentSettings().host, GetParam().saved ? L"new.example.com" : L"backup.example.com");
    EXPECT_EQ(bench.services.state == SERVICE_RUNNING, GetParam().started);
    EXPECT_EQ(dialog.IsModified() != FALSE, GetParam().modifiedAfter) << "the question comes again after No";
}

INSTANTIATE_TEST_SUITE_P(Answers, StartQuestionTest,
                         ::testing::Values(AnswerCase{"Cancel", IDCANCEL, false, false, true},
                                           AnswerCase{"No", IDNO, false, true, true},
                                           AnswerCase{"Yes", IDYES, true, true, false}),
                         [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

// OK saves, asks for the firewall exception and restarts the service; it closes the dialog
// only when the service runs afterwards.
struct OkCase {
    const char* name;
    std::function<void(platform::FakeServiceManager&)> arrange;
    std::vector<std::wstring> messages;
    int startRequests;
    bool closes;
};

class OkTest : public ConfigurationDialogTest, public ::testing::WithParamInterface<OkCase> {};

TEST_P(OkTest, SavesAndRestartsAndClosesOnlyWithTheServiceRunning) {
    GetParam().arrange(bench.services);
    Run([&](DialogDriver& w) {
        w.Type(IDC_SERVER_HOST, L"new.example.com");
        w.Click(IDOK);
        EXPECT_EQ(w.Ended(), GetParam().closes);
        if (!w.Ended()) w.Click(IDCANCEL);
    });
    EXPECT_EQ(Shown(), GetParam().messages);
    EXPECT_EQ(bench.services.Count("Start"), GetParam().startRequests);
    EXPECT_EQ(bench.ReadAgentSettings().host, L"new.example.com");
    EXPECT_EQ(bench.firewall.rules.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Services, OkTest,
    ::testing::Values(
        OkCase{"RestartsARunningService",
               [](platform::FakeServiceManager& s) { s.state = SERVICE_RUNNING; }, {}, 1, true},
        OkCase{"StopRefused",
               [](platform::FakeServiceManager& s) {
                   s.state = SERVICE_RUNNING;
                   s.FailCall("Control", 0, 1052);
               },
               {L"Unknown system error"}, 0, false},
        OkCase{"ServiceNeverRuns",
               [](platform::FakeServiceManager& s) { s.stateAfterStart = SERVICE_START_PENDING; }, {}, 1,
               false}),
    [](const ::testing::TestParamInfo<OkCase>& info) { return std::string(info.param.name); });

TEST_F(ConfigurationDialogTest, RestartOfAServiceThatWontStopReportsBothAndShowsItRunning) {
    bench.services.state = SERVICE_RUNNING;
    bench.services.FailCall("Control", 0, 1052);
    Run([&](DialogDriver& w) {
        w.Click(IDC_RESTART);
        EXPECT_EQ(Buttons(w), kShowsRunning);
        w.Click(IDCANCEL);
    });
    EXPECT_EQ(Shown(), (std::vector<std::wstring>{L"Unknown system error", L"Unknown system error. Code: 1056"}));
}

}  // namespace
