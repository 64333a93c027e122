// The workstation configuration dialog (its service buttons, the question before a start,
// OK's restart) and the install-time dialog (no way out but OK, which always finishes).
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
        if (window != nullptr) seen.push_back({window->Buttons(), window->Focus()});
    }
    const DialogDriver* window = nullptr;
    std::vector<std::string> requests;
    std::vector<std::pair<std::vector<bool>, int>> seen;
};

class ConfigurationDialogTest : public testing_support::DialogTest {
protected:
    ConfigurationDialogTest() {
        platform::Seams seams = platform::Current();
        seams.services = &services;
        platform::Install(seams);
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
        w.Click(IDC_RESTART, true);
        EXPECT_EQ(w.Focus(), IDC_RESTART);
        w.Click(IDCANCEL);
    });
    EXPECT_EQ(services.requests, (std::vector<std::string>{"Stop", "Start", "Stop", "Start"}));
    for (const auto& look : services.seen) {
        EXPECT_EQ(look.first, kNone);
        EXPECT_EQ(look.second, IDOK) << "the focus was handed to OK before the buttons were disabled";
    }
    EXPECT_TRUE(bench.prompts.messageBoxes.empty());
    EXPECT_EQ(services.startType, static_cast<DWORD>(SERVICE_AUTO_START));
}

struct AnswerCase {
    const char* name;
    int answer;
    bool saved;
    bool started;
};

class StartQuestionTest : public ConfigurationDialogTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(StartQuestionTest, EachAnswerDoesWhatItSays) {
    bench.prompts.answers.push_back(GetParam().answer);
    Run(dialog, [&](DialogDriver& w) {
        w.Type(IDC_SERVER_HOST, L"new.example.com");
        w.Click(IDC_START);
        EXPECT_EQ(w.Buttons(), GetParam().started ? kRunning : kStopped);
        w.Click(IDCANCEL);
    });
    EXPECT_EQ(Shown(), std::vector<std::wstring>{L"Do you want to apply the settings?"});
    EXPECT_EQ(bench.prompts.messageBoxes[0].type, 35u);
    EXPECT_EQ(bench.ReadAgentSettings().host, GetParam().saved ? L"new.example.com" : L"backup.example.com");
    EXPECT_EQ(services.state == SERVICE_RUNNING, GetParam().started);
    EXPECT_EQ(services.Count("Start"), GetParam().started ? 1 : 0) << "one start request at most";
    EXPECT_EQ(dialog.IsModified() != FALSE, !GetParam().saved) << "cleared by the save only";
}

INSTANTIATE_TEST_SUITE_P(Answers, StartQuestionTest,
                         ::testing::Values(AnswerCase{"Cancel", IDCANCEL, false, false},
                                           AnswerCase{"No", IDNO, false, true}, AnswerCase{"Yes", IDYES, true, true}));

// OK saves, asks for the firewall exception and restarts the service; it closes only with the
// service running, and otherwise the buttons show the service's real state.
struct OkCase {
    const char* name;
    const char* failingCall;
    std::vector<std::wstring> messages;
    bool closes;
    std::vector<bool> buttons;
};

class OkTest : public ConfigurationDialogTest, public ::testing::WithParamInterface<OkCase> {};

TEST_P(OkTest, SavesAndRestartsAndClosesOnlyWithTheServiceRunning) {
    services.state = SERVICE_RUNNING;
    if (*GetParam().failingCall != '\0') services.FailCall(GetParam().failingCall, 0, 1052);
    Run(dialog, [&](DialogDriver& w) {
        w.Type(IDC_SERVER_HOST, L"new.example.com");
        w.Click(IDOK);
        EXPECT_EQ(w.Ended(), GetParam().closes);
        EXPECT_EQ(w.Ended() ? GetParam().buttons : w.Buttons(), GetParam().buttons);
    });
    EXPECT_EQ(Shown(), GetParam().messages);
    EXPECT_EQ(bench.ReadAgentSettings().host, L"new.example.com");
    EXPECT_EQ(bench.firewall.rules.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Services, OkTest,
    ::testing::Values(OkCase{"Restarts", "", {}, true, {}},
                      OkCase{"StopRefused", "Control", {L"Unknown system error"}, false, kRunning},
                      OkCase{
                          "StoppedButStartRefused", "Start", {L"Unknown system error. Code: 1052"}, false, kStopped}));

struct InstallCase {
    const char* name;
    DWORD state;
    DWORD startRefusedWith;
    std::vector<std::string> requests;
    size_t messages;
};

class InstallDialogTest : public ConfigurationDialogTest, public ::testing::WithParamInterface<InstallCase> {};

TEST_P(InstallDialogTest, IgnoresEscapeAndCloseThenOkSavesRestartsAndClosesWhateverTheServiceDoes) {
    services.state = GetParam().state;
    if (GetParam().startRefusedWith != 0) services.FailCall("Start", 0, GetParam().startRefusedWith);
    CInstallClientConfigurationDlg install;
    EXPECT_EQ(Run(install,
                  [&](DialogDriver& w) {
                      w.Type(IDC_SERVER_HOST, L"new.example.com");
                      w.EscapeAndClose();
                      EXPECT_FALSE(w.Ended());
                      EXPECT_TRUE(services.requests.empty());
                      w.Click(IDOK);
                  }),
              IDOK);
    EXPECT_EQ(bench.ReadAgentSettings().host, L"new.example.com");
    EXPECT_EQ(services.requests, GetParam().requests);
    EXPECT_EQ(bench.prompts.messageBoxes.size(), GetParam().messages);
    EXPECT_EQ(bench.firewall.rules.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Services, InstallDialogTest,
                         ::testing::Values(InstallCase{"Stopped", SERVICE_STOPPED, 0, {"Start"}, 0},
                                           InstallCase{"Running", SERVICE_RUNNING, 0, {"Stop", "Start"}, 0},
                                           InstallCase{"CannotStart", SERVICE_STOPPED, 1058, {"Start"}, 1}));

}  // namespace
