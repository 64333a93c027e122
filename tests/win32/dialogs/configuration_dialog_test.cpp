// The workstation configuration dialog (its service buttons, the question before a start,
// OK's restart) and the install-time dialog (no way out but OK, which always finishes).
#include <filesystem>

#include "dialog_bench.h"
#include "dialogs/client_configuration_dlg.h"
#include "dialogs/install_client_configuration_dlg.h"

namespace {

using platform::FakeServiceManager;
using testing_support::DialogDriver;

// The service manager's view of the dialog: the three buttons and the focus at each start or
// stop request, that is while a service command runs.
class WatchedServices : public FakeServiceManager {
public:
    BOOL Start(platform::ScHandle s) override { return Look("Start"), FakeServiceManager::Start(s); }
    BOOL Control(platform::ScHandle s, DWORD c) override { return Look("Stop"), FakeServiceManager::Control(s, c); }
    void Look(const char* request) {
        requests.push_back(request);
        rulesAtRequest.push_back(firewall != nullptr ? firewall->rules.size() : 0);
        if (window != nullptr) seen.push_back({window->Buttons(), window->Focus()});
    }
    const DialogDriver* window = nullptr;
    const platform::FakeFirewall* firewall = nullptr;
    std::vector<std::string> requests;
    std::vector<size_t> rulesAtRequest;  // the firewall's rules when each request came
    std::vector<std::pair<std::vector<bool>, int>> seen;
};

class ConfigurationDialogTest : public testing_support::DialogTest {
protected:
    ConfigurationDialogTest() {
        platform::Seams seams = platform::Current();
        seams.services = &services;
        platform::Install(seams);
        services.firewall = &bench.firewall;
    }
    INT_PTR Run(CDialog& dialog, const std::function<void(DialogDriver&)>& user) {
        return DialogTest::Run(dialog, [&](DialogDriver& w) {
            services.window = &w;
            user(w);
            services.window = nullptr;
        });
    }
    WatchedServices services;
    CClientConfigurationDlg dialog;
};

const std::vector<bool> kRunning{false, true, true}, kStopped{true, false, false}, kNone{false, false, false};

TEST_F(ConfigurationDialogTest, ButtonsAreAllDisabledWhileACommandRunsAndTheFocusStaysOnALiveControl) {
    services.state = SERVICE_RUNNING;
    Run(dialog, [&](DialogDriver& w) {
        EXPECT_EQ(w.Buttons(), kRunning);
        w.Click(IDC_STOP, true);
        EXPECT_EQ(w.Buttons(), kStopped);
        EXPECT_EQ(w.Focus(), IDC_START) << "the button that undoes the command";
        w.Click(IDC_LOAD_DEFAULTS);  // not an edit of the user's: no question
        w.Click(IDC_START, true);
        EXPECT_EQ(w.Buttons(), kRunning);
        EXPECT_EQ(w.Focus(), IDC_STOP);
        w.Type(IDC_SERVER_HOST, L"edited.example.com");  // only Start asks about an edit
        w.Click(IDC_RESTART, true);
        EXPECT_EQ(w.Focus(), IDC_RESTART);
        w.Click(IDC_STOP, true);
        w.Click(IDCANCEL);
    });
    EXPECT_EQ(services.requests, (std::vector<std::string>{"Stop", "Start", "Stop", "Start", "Stop"}));
    for (const auto& look : services.seen) {
        EXPECT_EQ(look.first, kNone);
        EXPECT_EQ(look.second, IDOK) << "the focus was handed to OK before the buttons were disabled";
    }
    EXPECT_TRUE(bench.prompts.messageBoxes.empty());
    EXPECT_EQ(services.startType, static_cast<DWORD>(SERVICE_DEMAND_START));
}

struct AnswerCase {
    const char* name;
    int answer;
    const wchar_t* host;
    bool saved;
    bool started;
    const wchar_t* refusal;  // a part of the box after Yes; nullptr: none
};

class StartQuestionTest : public ConfigurationDialogTest, public ::testing::WithParamInterface<AnswerCase> {};

// The question comes with the buttons already disabled; a refused value after Yes starts nothing.
TEST_P(StartQuestionTest, EachAnswerDoesWhatItSays) {
    const AnswerCase& c = GetParam();
    bench.prompts.answers.push_back(c.answer);
    std::vector<std::vector<bool>> buttonsAtBoxes;
    Run(dialog, [&](DialogDriver& w) {
        bench.prompts.focusedControl = [&] { return buttonsAtBoxes.push_back(w.Buttons()), w.Focus(); };
        w.Type(IDC_SERVER_HOST, c.host);
        w.Click(IDC_START);
        EXPECT_EQ(w.Buttons(), c.started ? kRunning : kStopped);
        bench.prompts.focusedControl = nullptr;
        w.Click(IDCANCEL);
    });
    ASSERT_EQ(Shown().size(), c.refusal != nullptr ? 2u : 1u);
    EXPECT_EQ(Shown()[0], L"Do you want to apply the settings?");
    EXPECT_EQ(bench.prompts.messageBoxes[0].type, 35u);
    if (c.refusal != nullptr) {
        EXPECT_NE(Shown()[1].find(c.refusal), std::wstring::npos);
    }
    EXPECT_EQ(buttonsAtBoxes[0], kNone);
    EXPECT_EQ(bench.ReadAgentSettings().host, c.saved ? L"new.example.com" : L"backup.example.com");
    EXPECT_EQ(services.state == SERVICE_RUNNING, c.started);
    EXPECT_EQ(services.Count("Start"), c.started ? 1 : 0) << "one start request at most";
    for (const auto& look : services.seen) EXPECT_EQ(look.first, kNone);
    EXPECT_EQ(dialog.IsModified() != FALSE, !c.saved) << "cleared by the save only";
}

INSTANTIATE_TEST_SUITE_P(Answers, StartQuestionTest,
                         ::testing::Values(AnswerCase{"Cancel", IDCANCEL, L"new.example.com", false, false, nullptr},
                                           AnswerCase{"No", IDNO, L"new.example.com", false, true, nullptr},
                                           AnswerCase{"Yes", IDYES, L"new.example.com", true, true, nullptr},
                                           AnswerCase{"YesWithAnEmptyHost", IDYES, L"", false, false, L"empty"}));

// Restart goes on to the start when the stop is refused, and each refusal is told.
TEST_F(ConfigurationDialogTest, RestartStartsEvenWhenTheStopIsRefused) {
    services.state = SERVICE_RUNNING;
    services.FailCall("Control", 0, 1052);
    Run(dialog, [&](DialogDriver& w) {
        w.Click(IDC_RESTART);
        EXPECT_EQ(w.Buttons(), kRunning);
        w.Click(IDCANCEL);
    });
    EXPECT_EQ(services.requests, (std::vector<std::string>{"Stop", "Start"}));
    EXPECT_EQ(Shown(), (std::vector<std::wstring>{L"Unknown system error", L"Unknown system error. Code: 1056"}));
}

// Any of the four boxes edited by the user marks the dialog (the kit dialog has no such flag);
// the port's box takes digits only.
class ModifiedTest : public ConfigurationDialogTest, public ::testing::WithParamInterface<std::tuple<int, bool>> {};

TEST_P(ModifiedTest, AnEditOfAnyBoxMarksTheDialog) {
    CInstallClientConfigurationDlg install;
    CSetupClientDlg& shown = std::get<1>(GetParam()) ? static_cast<CSetupClientDlg&>(install) : dialog;
    Run(shown, [&](DialogDriver& w) {
        EXPECT_FALSE(shown.IsModified());
        const int box = std::get<0>(GetParam());
        EXPECT_EQ(w.Type(box, L"4x2"), box != IDC_SERVER_PORT) << "the port takes digits only";
        EXPECT_TRUE(shown.IsModified());
    });
}

INSTANTIATE_TEST_SUITE_P(Boxes, ModifiedTest,
                         ::testing::Combine(::testing::Values(IDC_SERVER_HOST, IDC_SERVER_PORT, IDC_ADMIN_LOGIN,
                                                              IDC_WORKSTATION_NAME),
                                            ::testing::Bool()));

// OK saves, asks for the firewall exception and restarts the service (starts it when it does
// not run); it closes only with the service running, otherwise the buttons show its real state.
struct OkCase {
    const char* name;
    std::function<void(FakeServiceManager&)> arrange;
    std::vector<std::string> requests;
    std::vector<std::wstring> messages;
    bool closes;
    std::vector<bool> buttons;
};

class OkTest : public ConfigurationDialogTest, public ::testing::WithParamInterface<OkCase> {};

TEST_P(OkTest, SavesAndRestartsAndClosesOnlyWithTheServiceRunning) {
    const OkCase& c = GetParam();
    c.arrange(services);
    Run(dialog, [&](DialogDriver& w) {
        w.Type(IDC_SERVER_HOST, L"new.example.com");
        w.Click(IDOK);
        EXPECT_EQ(w.Ended(), c.closes);
        EXPECT_EQ(w.Ended() ? c.buttons : w.Buttons(), c.buttons);
    });
    EXPECT_EQ(services.requests, c.requests);
    EXPECT_EQ(Shown(), c.messages);
    EXPECT_EQ(bench.ReadAgentSettings().host, L"new.example.com");
    EXPECT_EQ(services.rulesAtRequest, std::vector<size_t>(services.requests.size(), 1u)) << "the rule comes first";
}

void Runs(FakeServiceManager& s) { s.state = SERVICE_RUNNING; }
void StopRefused(FakeServiceManager& s) { s.state = SERVICE_RUNNING, s.FailCall("Control", 0, 1052); }
void StopNotDone(FakeServiceManager& s) { s.state = SERVICE_RUNNING, s.statuses = {{SERVICE_RUNNING, 0, 0}}; }
void StartRefused(FakeServiceManager& s) { s.state = SERVICE_RUNNING, s.FailCall("Start", 0, 1052); }
void Stopped(FakeServiceManager&) {}
void StartNotDone(FakeServiceManager& s) { s.stateAfterStart = SERVICE_STOPPED; }
const std::vector<std::string> kRestart{"Stop", "Start"}, kStop{"Stop"}, kStart{"Start"};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Services, OkTest, ::testing::Values(
    OkCase{"Restarts", Runs, kRestart, {}, true, {}},
    OkCase{"StopRefused", StopRefused, kStop, {L"Unknown system error"}, false, kRunning},
    OkCase{"StopNotDone", StopNotDone, kStop, {}, false, kRunning},
    OkCase{"StoppedButStartRefused", StartRefused, kRestart, {L"Unknown system error. Code: 1052"}, false, kStopped},
    OkCase{"StartsAStoppedService", Stopped, kStart, {}, true, {}},
    OkCase{"StartNotDone", StartNotDone, kStart, {}, false, kStopped}),
    [](const ::testing::TestParamInfo<OkCase>& info) { return std::string(info.param.name); });
// clang-format on

struct InstallCase {
    const char* name;
    DWORD state;
    const char* failingCall;  // refused with 1052
    const wchar_t* host;
    std::vector<std::string> requests;
    size_t messages;
};

class InstallDialogTest : public ConfigurationDialogTest, public ::testing::WithParamInterface<InstallCase> {};

// Escape and the close request do nothing; OK saves, adds the rule, restarts and closes whatever
// the service does, and only a refused value keeps the dialog open.
TEST_P(InstallDialogTest, OkIsTheOnlyWayOutAndFinishesWhateverTheServiceDoes) {
    const InstallCase& c = GetParam();
    std::filesystem::remove_all(bench.AgentStore());  // at installation nothing is stored yet
    services.state = c.state;
    if (*c.failingCall != '\0') services.FailCall(c.failingCall, 0, 1052);
    CInstallClientConfigurationDlg install;
    const bool refused = *c.host == L'\0';
    EXPECT_EQ(Run(install,
                  [&](DialogDriver& w) {
                      EXPECT_FALSE(w.Has(IDCANCEL));
                      EXPECT_EQ(w.Style() & WS_SYSMENU, 0) << "no close button";
                      w.Type(IDC_SERVER_HOST, c.host);
                      w.EscapeAndClose();
                      EXPECT_FALSE(w.Ended());
                      EXPECT_TRUE(services.requests.empty());
                      w.Click(IDOK);
                  }),
              refused ? testing_support::kLeftOpen : IDOK);
    EXPECT_EQ(bench.ReadAgentSettings().host, refused ? L"localhost" : c.host);
    EXPECT_EQ(services.requests, c.requests);
    EXPECT_EQ(services.rulesAtRequest, std::vector<size_t>(c.requests.size(), 1u));
    EXPECT_EQ(bench.prompts.messageBoxes.size(), c.messages);
    EXPECT_EQ(bench.firewall.rules.size(), refused ? 0u : 1u);
}

const DWORD kStoppedState = SERVICE_STOPPED, kRunningState = SERVICE_RUNNING;
const wchar_t kNew[] = L"new.example.com";
// clang-format off
INSTANTIATE_TEST_SUITE_P(Services, InstallDialogTest, ::testing::Values(
    InstallCase{"Stopped", kStoppedState, "", kNew, {"Start"}, 0},
    InstallCase{"Running", kRunningState, "", kNew, {"Stop", "Start"}, 0},
    InstallCase{"CannotStart", kStoppedState, "Start", kNew, {"Start"}, 1},
    InstallCase{"StopRefused", kRunningState, "Control", kNew, {"Stop", "Start"}, 2},
    InstallCase{"EmptyHost", kRunningState, "", L"", {}, 1}));
// clang-format on

}  // namespace
