// The workstation configuration dialog (its service buttons, the question before a start,
// OK's restart) and the install-time dialog (no way out but OK, which always finishes).
#include <filesystem>
#include <utility>

#include "dialog_bench.h"
#include "dialogs/client_configuration_dlg.h"
#include "dialogs/install_client_configuration_dlg.h"

namespace {

using platform::FakeServiceManager;
using namespace testing_support;

// The dialog as the service manager sees it at each start or stop request, that is while a
// service command runs: the three buttons, the focus, the firewall's rules and whether the
// store holds the dialog's values.
struct ConfigurationDialogTest : DialogTest {
    ConfigurationDialogTest() {
        bench.services.onRequest = [this](const char* request) {
            const DialogDriver window(::GetActiveWindow());  // the dialog on screen
            requests.push_back(request), seen.push_back({window.Buttons(), window.Focus()});
            if (std::exchange(typeAhead, false)) PressSpaceAgain();
            const std::string held = bench.AgentStoreBytes();  // saved: the fixture's host is gone
            atRequest.push_back({bench.firewall.rules.size(), !held.empty() && held.find("backup.") == held.npos});
        };
    }
    bool typeAhead = false;
    std::vector<std::string> requests;
    std::vector<std::pair<size_t, bool>> atRequest;
    std::vector<std::pair<std::vector<bool>, int>> seen;
    // Records the dialog's own operations as it reaches them through the virtual table.
    struct Recording : CClientConfigurationDlg {
        std::vector<std::string> calls;
        void ParametersToControls(const CorvexParameters& p) override {
            calls.push_back("show"), CClientConfigurationDlg::ParametersToControls(p);
        }
        BOOL StartWorkstation() override { return Note("start", CClientConfigurationDlg::StartWorkstation()); }
        BOOL StopWorkstation() override { return Note("stop", CClientConfigurationDlg::StopWorkstation()); }
        BOOL Note(const char* call, BOOL done) { return calls.push_back(call + std::string(done ? "" : "!")), done; }
        BOOL ApplySettings() override { return calls.push_back("apply"), CClientConfigurationDlg::ApplySettings(); }
        // Its parameters are made with a port of their own, as a library whose objects start empty would make
        // them: only the library's defaults may show after Load defaults.
        std::unique_ptr<CorvexParameters> CreateParameters() override {
            std::unique_ptr<CorvexParameters> made = CClientConfigurationDlg::CreateParameters();
            return made->SetCoordinator(L"made.example.com", 2, false), std::move(made);
        }
        // refuseSave: with a refusal that names none of the four values; saveGivesFalse: stores
        // nothing and says so, as no dialog of ours does.
        bool refuseSave = false, saveGivesFalse = false;
        BOOL SaveParameters(CorvexParameters& p) override {
            if (refuseSave) throw CorvexParameters::ValidationError(L"Refused.", nullptr);
            return !saveGivesFalse && CClientConfigurationDlg::SaveParameters(p);
        }
    } dialog;
};

const std::vector<bool> kRunning{false, true, true}, kStopped{true, false, false}, kNone{false, false, false};
const wchar_t kNew[] = L"NEW.example.com", k1060[] = L"Unknown system error. Code: 1060";
// An error box the dialog owns, OK focused; the two a missing service gives.
const std::wstring kError = L"|SetupClient|16|1|1\n", kUnknownBox = kUnknown + kError, k1060Box = k1060 + kError;
const std::wstring kLabels = L"Corvex Workstation Settings|Settings|" + kHostLabels + L"|>Workstation  name=1002|" +
                             L"Name of the local machine as seen by Halvane Server|" + kLoginLabels +
                             L"|Load defaults=1005|Corvex Workstation service|Start=1006|Stop=1007|Restart=1008|To run "
                             L"Workstation, click the Start button. To stop Workstation, click Stop. To restart "
                             L"Workstation, click Restart.|OK=1!|Cancel=2!";

// The dialog opens with its texts, frame and tab stops and the stored settings. Restart shows the
// running service again, and goes on to the start when its stop is refused; each refusal is told
// in a box the dialog owns; an error that is not the controller's is told in the handler's own
// "Error!" box, and a refusal that names none of the four values with the focus left where it
// was. After each command: the buttons and the focus (on the button that undoes it, or on Stop
// again after a stop that was never done; an OK whose restart fails leaves it on OK). A key
// pressed again while the first Restart waits for the service is dropped, not given to Restart.
TEST_F(ConfigurationDialogTest, ButtonsAreAllDisabledWhileACommandRunsAndTheFocusStaysOnALiveControl) {
    bench.services.state = SERVICE_RUNNING, bench.services.FailCall("Control", 3, 1052);  // the second restart's stop
    decltype(seen) after;
    Run(dialog, [&](DialogDriver& w) {
        EXPECT_EQ(std::make_tuple(w.Labels(), w.Buttons(), w.Focus(), w.Boxes(), w.Frame()),
                  std::make_tuple(kLabels, kRunning, IDC_SERVER_HOST,
                                  std::vector<std::wstring>{L"backup.example.com", L"65535", L"CORP\\backup", L"WS-01"},
                                  L"centred, task-bar button, close button, modal frame, Enter: OK, its icon"));
        const auto look = [&] { after.push_back({w.Buttons(), w.Focus()}); };
        // Load defaults last: the library's defaults, not an edit of the user's: no question
        typeAhead = true, w.Click(IDC_RESTART, true), look(), w.Click(IDC_STOP, true), look();
        w.Click(IDC_LOAD_DEFAULTS);
        EXPECT_EQ(std::make_pair(w.Boxes(), bench.ReadAgentSettings()),  // and saves nothing
                  std::make_pair(std::vector<std::wstring>{L"localhost", L"9750", L"Administrator", L""},
                                 std::wstring(L"backup.example.com|65535|CORP\\backup|WS-01")));
        // Only Start asks about an edit, and Load defaults keeps its mark.
        w.Click(IDC_START, true), look(), w.Type(IDC_SERVER_HOST, L"edited.example.com"), w.Click(IDC_LOAD_DEFAULTS);
        w.Click(IDC_RESTART, true), look();
        bench.services.stateAfterStop = SERVICE_RUNNING, w.Click(IDC_STOP, true), look();  // accepted, never done
        dialog.refuseSave = true, w.Click(IDOK, true);  // told with the focus left on OK
        EXPECT_TRUE(dialog.IsModified()) << "the edit's mark outlives Load defaults";
        EXPECT_EQ(seen, decltype(seen)(7, {kNone, IDOK})) << "the focus handed to OK, then all disabled";
        dialog.refuseSave = false, w.Click(IDOK, true), look();  // saved; the restart's stop is never done
        // The agent stopped, started and stopped again behind the dialog's back: each button still acts.
        bench.services.state = SERVICE_STOPPED, w.Click(IDC_STOP, true), Running(bench.services), w.Click(IDC_START);
        bench.services.state = SERVICE_STOPPED, w.Click(IDC_RESTART, true), look();  // started, without a word
        // The service removed behind the dialog's back, back (and running) for a Start, removed again: each
        // command, and the look at the service after it, tell it.
        const std::wstring agent = std::exchange(bench.services.installedService, L"");
        w.Click(IDC_STOP, true), w.Click(IDC_START, true), bench.services.installedService = agent, w.Click(IDC_START);
        bench.services.installedService.clear(), w.Click(IDC_RESTART, true);
        // No seams: an error the handler tells in its own box.
        platform::Install({}), w.Click(IDC_START, true), w.Click(IDCANCEL);
    });
    // clang-format off
    EXPECT_EQ(after, (decltype(seen){{kRunning, IDC_RESTART}, {kStopped, IDC_START}, {kRunning, IDC_STOP},
        {kRunning, IDC_RESTART}, {kRunning, IDC_STOP}, {kRunning, IDOK}, {kRunning, IDC_RESTART}}));
    // The requests, no rule asked for before OK, and the dialog's own operations.
    EXPECT_EQ(std::tuple(requests, atRequest[0].first, dialog.calls), std::tuple(decltype(requests){"Stop", "Start",
        "Stop", "Start", "Stop", "Start", "Stop", "Stop", "Stop", "Start", "Start", "Start"}, size_t{0},
        decltype(requests){"show", "stop", "show", "start", "show", "stop!", "apply", "apply", "stop!", "start!",
        "stop!", "start!", "start!"}));
    // clang-format on
    // OK alone in each, the focus on OK; the "Error!" box's type 262160 is its error icon (16), topmost (0x40000).
    EXPECT_EQ(Described(bench.prompts.messageBoxes),
              kUnknownBox + k1056 + kError + L"Refused.|SetupClient|48|1|1\n" + kUnknownBox + k1056 + kError +
                  kUnknownBox + kUnknownBox + k1060Box + kUnknownBox + k1056 + kError + kUnknownBox + k1060Box +
                  kUnknownBox + L"platform seam not installed: service manager|Error!|262160|0|1\n");
}

// Opened on settings that cannot be loaded: the "Error!" box (no owner, error icon), empty
// boxes with the name's hint, no mark, no icons set, centred all the same and, in the
// workstation dialog, the template's three live service buttons. An edit of any box marks
// either dialog. An OK whose save fails shows the "Error!" box and leaves either dialog open
// and marked; one with accepted values saves over the damage (the name as typed) and ends it.
TEST_F(ConfigurationDialogTest, DamagedSettingsOpenEmptyAndOkSavesOverThem) {
    struct Flag : CSetupClientDlg {  // reaches the base's flag of any dialog
        static void Clear(CSetupClientDlg& dialog) { dialog.*(&Flag::m_modified) = FALSE; }
    };
    CInstallClientConfigurationDlg install;
    std::vector<BOOL> marks;  // the edits' marks, and the dialog still open after a failed save
    std::wstring noStore = L"/dev/null/J\u00fcrgen\U00020BB7\\ProgramData";
    for (CSetupClientDlg* opened : std::initializer_list<CSetupClientDlg*>{&dialog, &install}) {
        bench.DamageAgentSettings();
        const INT_PTR ended = Run(*opened, [&](DialogDriver& w) {
            EXPECT_EQ(std::make_tuple(w.Boxes(), w.Buttons(), w.Send(WM_GETICON, ICON_BIG), w.Frame().substr(0, 8),
                                      w.Cue(IDC_WORKSTATION_NAME).empty() || opened->IsModified()),
                      std::make_tuple(std::vector<std::wstring>(4, L""),
                                      opened == &dialog ? std::vector<bool>(3, true) : kNone, 0, L"centred,", false));
            for (int id : kSettingsBoxes)  // all but the port take a letter typed
                marks.push_back((Flag::Clear(*opened), w.Type(id, id == IDC_SERVER_PORT ? L"7" : L"x")) &&
                                opened->IsModified());
            // Live over the stopped agent, Restart only starts it, without a word.
            marks.push_back(!w.Click(IDC_RESTART) || bench.services.state == SERVICE_RUNNING);
            // A login beyond the 16-bit plane (two UTF-16 units), a name in lower case: both kept.
            w.Fill({L"b.example.com", L"9750", L"CORP\\\U00020BB7\u91ce", L"ws-2"});
            std::swap(bench.folders.programData, noStore), w.Click(IDOK);  // the save fails
            marks.push_back(!w.Ended()), std::swap(bench.folders.programData, noStore);
            marks.push_back(opened->IsModified()), w.Click(IDOK);  // the edits still marked
        });
        // The store holds the settings and each save's two kept copies of the damage, and nothing else.
        EXPECT_EQ(
            std::make_tuple(ended, bench.ReadAgentSettings(), bench.SystemSupplied(bench.AgentStore()),
                            std::distance(std::filesystem::directory_iterator(bench.AgentStore()), {})),
            std::make_tuple(IDOK, L"b.example.com|9750|CORP\\\U00020BB7\u91ce|ws-2", false, opened == &dialog ? 4 : 6));
    }
    ASSERT_EQ(std::make_pair(marks, Shown().size()), std::make_pair(std::vector<BOOL>(14, TRUE), size_t{4}));
    EXPECT_NE(Shown()[0].find(L"user.json\" cannot be read: the file is larger than 64 KiB."), std::wstring::npos);
    for (const auto& b : bench.prompts.messageBoxes)
        EXPECT_EQ(std::make_tuple(b.caption, b.type, b.owned, b.text.find(L"J\u00fcrgen\U00020BB7\\") != b.text.npos),
                  std::make_tuple(L"Error!", UINT{MB_ICONERROR | MB_TOPMOST}, false, true));
}

// A save that gives FALSE leaves the edit's mark, and OK goes on as after a save. The dialog's
// next opening clears the mark; a close request (the caption's button) cancels it.
TEST_F(ConfigurationDialogTest, ASaveThatGivesFalseKeepsTheMarkUntilTheNextOpening) {
    dialog.saveGivesFalse = true;
    EXPECT_EQ(Run(dialog, [](DialogDriver& w) { w.Type(IDC_SERVER_HOST, L"new.example.com"), w.Click(IDOK); }), IDOK);
    EXPECT_EQ(std::make_pair(dialog.IsModified(), requests), std::make_pair(TRUE, std::vector<std::string>{"Start"}));
    Run(dialog, [&](DialogDriver& w) { EXPECT_TRUE(!dialog.IsModified() && w.Close()); });
}

// Settings another program holds: told at the opening when it writes them (the dialog opens empty,
// nothing taken for missing or read half-written), and when it keeps them from being replaced as
// Start applies them first (nothing started, the buttons live again).
TEST_F(ConfigurationDialogTest, SettingsThatAnotherProgramHoldsAreTold) {
    const auto hold = [&](const wchar_t* f, DWORD access) {
        return ::CreateFileW((bench.AgentStore() + f).c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, 0);
    };
    HANDLE held = hold(L"workstation.json", GENERIC_WRITE);
    bench.prompts.answers = {IDOK, IDYES};
    Run(dialog, [&](DialogDriver& w) {
        ::CloseHandle(held), held = hold(L"user.json", GENERIC_READ);
        // Space pressed again while the save waits for the file: it must not answer the box that follows.
        bench.clock.onSleep = [pressed = false]() mutable {
            if (!std::exchange(pressed, true)) PressSpaceAgain();
        };
        w.Fill({L"b.example.com", L"9750", L"CORP\\b", L"ws-2"}), w.Click(IDC_START, true);
        EXPECT_EQ(std::make_pair(w.Buttons(), requests), std::make_pair(kStopped, std::vector<std::string>{}));
    });
    std::wstring told;
    for (const std::wstring& box : (::CloseHandle(held), Shown())) told += box.substr(box.rfind(L'\\') + 1) + L"\n";
    EXPECT_EQ(told,
              L"workstation.json\" cannot be read: another program is using the file.|Error!|262160\n"
              L"Do you want to apply the settings?|SetupClient|35\n"
              L"user.json\" cannot be replaced: access is denied. No settings file was changed.|Error!|262160\n");
}

struct AnswerCase {
    const char* name;
    int answer;
    const wchar_t* host;
    bool saved, started;
    int focus;             // afterwards: the button that is live again, or the refused value's box
    std::wstring refusal;  // the box after the answer, as Described gives it; empty: none
    bool removed = false;  // the service removed while the dialog is open: no query answers
};

class StartQuestionTest : public ConfigurationDialogTest, public ::testing::WithParamInterface<AnswerCase> {};

// The question comes with the buttons already disabled; Cancel asks the service manager again
// (here it has lost the service since the dialog opened); a refused value after Yes starts nothing;
// No starts with the settings stored before (here a start that is accepted but never done).
TEST_P(StartQuestionTest, EachAnswerDoesWhatItSays) {
    const AnswerCase& c = GetParam();
    bench.prompts.answers.push_back(c.answer);
    if (c.answer == IDNO) bench.services.stateAfterStart = SERVICE_STOPPED;  // the start is accepted, but never done
    std::vector<std::vector<bool>> buttonsAtBoxes;
    Run(dialog, [&](DialogDriver& w) {
        bench.prompts.focusedControl = [&] { return buttonsAtBoxes.push_back(w.Buttons()), w.Focus(); };
        if (c.removed) bench.services.installedService.clear();
        w.Type(IDC_SERVER_HOST, c.host), w.Click(IDC_START);
        EXPECT_EQ(std::make_tuple(w.Buttons(), w.Focus()), std::make_tuple(c.started ? kRunning : kStopped, c.focus));
        bench.prompts.focusedControl = nullptr, w.Click(IDCANCEL);
    });
    EXPECT_EQ(Described(bench.prompts.messageBoxes),
              L"Do you want to apply the settings?|SetupClient|35|1|1\n" + c.refusal);
    EXPECT_EQ(bench.ReadAgentSettings().find(c.saved ? L"NEW.example.com|65535|" : L"backup.example.com|65535|"), 0u);
    EXPECT_EQ(std::make_pair(buttonsAtBoxes[0], bench.services.state == SERVICE_RUNNING), std::pair(kNone, c.started));
    // One start request at most, after the save and the rule.
    EXPECT_EQ(atRequest, decltype(atRequest)(c.started || c.answer == IDNO ? 1 : 0, {c.saved ? 1u : 0u, c.saved}));
    for (const auto& look : seen) EXPECT_EQ(look.first, kNone);
    EXPECT_EQ(dialog.IsModified() != FALSE, !c.saved) << "cleared by the save only";
    const char* start = c.started ? "start" : "start!";  // each through the virtual table
    EXPECT_EQ(dialog.calls, (c.answer == IDYES ? std::vector<std::string>{"show", "apply", start}
                                               : std::vector<std::string>{"show", start}));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Answers, StartQuestionTest, ::testing::ValuesIn(std::vector<AnswerCase>{
    {"Cancel", IDCANCEL, kNew, false, false, IDC_START, kUnknownBox, true}, {"No", IDNO, kNew, false, false, IDC_START, L""},
    {"Yes", IDYES, kNew, true, true, IDC_STOP, L""},
    // The restart's query, its start and the buttons' query after the failed apply each tell the missing service
    // once (the apply's own look at the buttons tells nothing: Start has the focus again).
    {"YesServiceRemoved", IDYES, kNew, true, false, IDC_START,
     kUnknownBox + k1060Box + kUnknown + L"|SetupClient|16|1|1006\n", true},
    {"YesEmptyHost", IDYES, L"", false, false, IDC_SERVER_HOST, kEmptyHost + L"|SetupClient|48|1|1000\n"}}));
// clang-format on

// OK saves, asks for the firewall exception and restarts the service (starts it when it does
// not run, as OK finds it: one started behind the dialog's back since it opened is restarted).
// The workstation dialog closes only with the service running, otherwise its buttons
// show the service's real state. The install-time dialog (nothing stored yet; Escape and the
// close request do nothing) closes whatever the service does; only a refused value keeps it open,
// told alone (the service is asked about only after the save).
// A host the dialog shows already is not typed: on a fresh machine OK then saves the defaults unedited.
struct OkCase {
    const char* name;
    bool install;
    std::function<void(FakeServiceManager&)> arrange;
    const wchar_t* host;
    std::vector<std::string> requests;
    std::vector<std::wstring> messages;
    bool closes;
    std::vector<bool> buttons;
    bool fresh = false;             // nothing stored yet (always so for the install-time dialog)
    bool startedMeanwhile = false;  // the agent started behind the dialog's back before OK
};

class OkTest : public ConfigurationDialogTest, public ::testing::WithParamInterface<OkCase> {};

TEST_P(OkTest, SavesAddsTheRuleAndRestartsAndClosesAsTheDialogAllows) {
    const OkCase& c = GetParam();
    if (c.arrange) c.arrange(bench.services);  // else the bench's stopped service
    CInstallClientConfigurationDlg install;
    CSetupClientDlg& shown = c.install ? static_cast<CSetupClientDlg&>(install) : dialog;
    if (c.install || c.fresh) std::filesystem::remove_all(bench.AgentStore());
    const std::wstring thisComputer =
        L"Leave empty to use this computer's network name, " + std::wstring(_wgetenv(L"COMPUTERNAME"));
    const INT_PTR ended = Run(shown, [&](DialogDriver& w) {
        EXPECT_EQ(std::make_tuple(w.Has(IDCANCEL), w.Cue(IDC_WORKSTATION_NAME), w.LongTextBoxes()),
                  std::make_tuple(!c.install, thisComputer, 4));
        if (c.install) {
            EXPECT_FALSE(w.Type(IDC_SERVER_PORT, L"x")) << "the port takes digits only";
            EXPECT_EQ(std::make_tuple(w.Frame(), w.Focus()),
                      std::make_tuple(L"centred, task-bar button, tool window, system-modal, Enter: OK, its icon",
                                      IDC_SERVER_HOST));
            // Load defaults puts the default port back.
            EXPECT_TRUE(w.Type(IDC_SERVER_PORT, L"1") && w.Click(IDC_LOAD_DEFAULTS) &&
                        w.Text(IDC_SERVER_PORT) == L"9750");
            EXPECT_EQ(w.Labels(), L"Corvex Workstation Settings|Settings|" + kHostLabels +
                                      L"|>Workstation name=1002|Name of the local machine as seen by Halvane Server.|" +
                                      kLoginLabels + L"|Load defaults=1005|OK=1!");
            EXPECT_FALSE((w.EscapeAndClose(), w.Ended())) << "Escape and the close request do nothing";
        }
        if (w.Text(IDC_SERVER_HOST) != c.host) w.Type(IDC_SERVER_HOST, c.host);
        if (c.startedMeanwhile) bench.services.state = SERVICE_RUNNING;
        w.Click(IDOK, true);
        // Left open: the buttons as the service is, the focus on OK still.
        EXPECT_TRUE(w.Ended() || c.install || std::pair(w.Buttons(), w.Focus()) == std::pair(c.buttons, int{IDOK}));
    });
    EXPECT_EQ(std::tuple(ended, requests, Shown()), std::tuple(c.closes ? IDOK : kLeftOpen, c.requests, c.messages));
    for (const auto& box : bench.prompts.messageBoxes) EXPECT_TRUE(box.owned) << box.text << ": the dialog is still up";
    // Saved: the typed host, the default security, the name as a user typed it (on no store the
    // dialogs open with an empty name, which is the system's), the dialog unmarked.
    const bool saved = *c.host != L'\0';
    EXPECT_EQ(std::make_tuple(bench.ReadAgentSettings().find(std::wstring(saved ? c.host : L"localhost") + L"|"),
                              bench.AgentStoreBytes().find(kDefaultSecurity) != std::string::npos,
                              bench.SystemSupplied(bench.AgentStore()), shown.IsModified() != FALSE),
              std::make_tuple(size_t{0}, saved, (c.install || c.fresh) && saved, !saved));
    EXPECT_EQ(atRequest, decltype(atRequest)(c.requests.size(), {1u, true})) << "the settings and the rule come first";
    EXPECT_EQ(Rules(bench.firewall), saved ? L"C:\\Corvex\\CorvexWorkstation.exe|Corvex Workstation x64\n" : L"");
}

// The start after the stop refused (the code as the manager gives it).
void StartRefused(FakeServiceManager& s) { s.state = SERVICE_RUNNING, s.FailCall("Start", 0, 1056); }
void StopNotDone(FakeServiceManager& s) { s.state = s.stateAfterStop = SERVICE_RUNNING; }  // accepted, never done
void NotInstalled(FakeServiceManager& s) { s.installedService.clear(); }
const std::vector<std::string> kRestart{"Stop", "Start"}, kStop{"Stop"}, kStart{"Start"};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Services, OkTest, ::testing::Values(
    OkCase{"StopRefused", false, StopRefused, kNew, kStop, {kUnknown}, false, kRunning},
    OkCase{"StopNotDone", false, StopNotDone, kNew, kStop, {}, false, kRunning},
    OkCase{"RestartsTheRunningService", false, Running, kNew, kRestart, {}, true, {}},
    OkCase{"RestartsAServiceStartedMeanwhile", false, nullptr, kNew, kRestart, {}, true, {}, false, true},
    OkCase{"StoppedButStartRefused", false, StartRefused, kNew, kRestart, {k1056}, false, kStopped},
    OkCase{"StartsAStoppedServiceOnAFreshMachine", false, nullptr, L"localhost", kStart, {}, true, {}, true},
    OkCase{"StartNotDone", false, StartNotDone, kNew, kStart, {}, false, kStopped},
    OkCase{"InstallRunning", true, Running, kNew, kRestart, {}, true, {}},
    OkCase{"InstallNotInstalled", true, NotInstalled, L"localhost", {}, {kUnknown, k1060}, true, {}},
    OkCase{"InstallStopRefused", true, StopRefused, kNew, kRestart, {kUnknown, k1056}, true, {}},
    OkCase{"InstallEmptyHost", true, NotInstalled, L"", {}, {kEmptyHost + L"|SetupClient|48"}, false, {}}),
    [](const ::testing::TestParamInfo<OkCase>& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
