// The settings dialog base, through the workstation configuration dialog: loading, the data
// exchange, refusals with the focus on the refused control, "Load defaults" and the modified
// flag. The value rules themselves are the library's native tables.
#include "dialog_bench.h"
#include "dialogs/client_configuration_dlg.h"
#include "dialogs/install_client_configuration_dlg.h"
#include "framework/data_exchange.h"
#include "import_hook.h"
#include "params/corvex_parameters.h"

namespace {

using testing_support::DialogDriver;
using testing_support::ImportHook;
using SettingsDialogTest = testing_support::DialogTest;
using Stored = testing_support::AppBench::Stored;
using Texts = std::vector<std::wstring>;

TEST_F(SettingsDialogTest, OpensWithTheStoredSettingsUnmodifiedAndOkStoresTheTypedValues) {
    CClientConfigurationDlg dialog;
    EXPECT_EQ(Run(dialog,
                  [&](DialogDriver& w) {
                      EXPECT_EQ(std::make_tuple(w.Boxes(), w.Cue(IDC_WORKSTATION_NAME), w.Focus(), dialog.IsModified(),
                                                w.LongTextBoxes()),
                                std::make_tuple(Texts{L"backup.example.com", L"9750", L"CORP\\backup", L"WS-01"},
                                                L"Leave empty to use this computer's network name, WS-0142",
                                                IDC_SERVER_HOST, FALSE, 4));
                      EXPECT_EQ(w.Labels(),
                                L"Corvex Workstation Settings|Settings|" + testing_support::kHostLabels +
                                    L"|Workstation  name|Name of the local machine as seen by Halvane Server|" +
                                    testing_support::kLoginLabels +
                                    L"|Load defaults|Corvex Workstation service|Start|Stop|Restart|To run Workstation, "
                                    L"click the Start button. To stop Workstation, click Stop. To restart Workstation, "
                                    L"click Restart.|OK|Cancel");
                      EXPECT_EQ(std::make_tuple(w.TabStops(), w.Frame()),
                                std::make_tuple(std::vector<int>{IDC_SERVER_HOST, IDC_SERVER_PORT, IDC_WORKSTATION_NAME,
                                                                 IDC_ADMIN_LOGIN, IDC_LOAD_DEFAULTS, IDC_START,
                                                                 IDC_STOP, IDC_RESTART, IDOK, IDCANCEL},
                                                L"centred, task-bar button, close button"));
                      EXPECT_TRUE(w.Fill({L"10.1.2.3", L"065535", L"admin@corp.example", L"OFFICE-PC7"}));
                      w.Click(IDOK);
                  }),
              IDOK);
    EXPECT_EQ(bench.ReadAgentSettings(), (Stored{L"10.1.2.3", 65535, L"admin@corp.example", L"OFFICE-PC7"}));
    EXPECT_NE(bench.AgentStoreBytes().find(testing_support::kDefaultSecurity), std::string::npos);
}

struct BadInput {
    const char* name;
    int control;
    std::wstring text;
    std::wstring shown;  // the box as Described gives it; empty: typing is refused, only the digits arrive
    bool paste = false;  // into the digits-only port box too
};

class BadInputTest : public testing_support::DialogTest, public ::testing::WithParamInterface<BadInput> {};

// Owned by the dialog; the library's refusals focus the control before telling, the number prompt after.
TEST_P(BadInputTest, IsRefusedOnceWithTheFocusOnItsControlAndNothingStored) {
    const BadInput& c = GetParam();
    const std::string before = bench.AgentStoreBytes();
    CClientConfigurationDlg dialog;
    Run(dialog, [&](DialogDriver& w) {
        EXPECT_EQ(w.Type(c.control, c.text, c.paste), !c.shown.empty());
        w.Click(IDOK);
        if (c.shown.empty()) return;
        EXPECT_EQ(std::make_tuple(w.Ended(), w.Focus(), w.Text(c.control)), std::make_tuple(false, c.control, c.text));
    });
    EXPECT_EQ(testing_support::Described(bench.prompts.messageBoxes), c.shown);
    if (c.shown.empty()) {
        EXPECT_EQ(bench.ReadAgentSettings().port, 1) << "only the digit of \"-1\" was typed";
        return;
    }
    EXPECT_EQ(bench.AgentStoreBytes(), before);
    EXPECT_EQ(bench.services.Count("Start") + bench.services.Count("Control"), 0) << "no service step";
    EXPECT_EQ(bench.firewall.adds, 0);
}

const std::wstring kOutOfRange = L"The server port must be a number from 1 to 65535.|SetupClient|48|1|1004\n";
const std::wstring kNotANumber = std::wstring(kPromptUnsignedNumber) + L"|SetupClient|48|1|1\n";
INSTANTIATE_TEST_SUITE_P(
    Inputs, BadInputTest,
    ::testing::Values(BadInput{"HostEmpty", IDC_SERVER_HOST, L"",
                               testing_support::kEmptyHost + L"|SetupClient|48|1|1000\n"},
                      BadInput{"LoginTrailingBlank", IDC_ADMIN_LOGIN, L"CORP\\backup ",
                               L"The backup administrator login begins or ends with a blank. Remove the blanks "
                               L"around it.|SetupClient|48|1|1001\n"},
                      BadInput{"LoginTab", IDC_ADMIN_LOGIN, L"CORP\\back\tup",
                               L"The backup administrator login contains a control character (such as a tab or a line "
                               L"break). Remove it.|SetupClient|48|1|1001\n"},
                      BadInput{"NameTooLong", IDC_WORKSTATION_NAME, std::wstring(300, L'a'),
                               L"The workstation name is longer than 255 characters.|SetupClient|48|1|1002\n"},
                      BadInput{"PortEmpty", IDC_SERVER_PORT, L"", kNotANumber},
                      BadInput{"PortPastedWithLetters", IDC_SERVER_PORT, L"9750abc", kNotANumber, true},
                      BadInput{"PortNegative", IDC_SERVER_PORT, L"-1", L""},
                      BadInput{"Port65537", IDC_SERVER_PORT, L"65537", kOutOfRange},  // port 1 in 16 bits
                      BadInput{"Port2To32Less1", IDC_SERVER_PORT, L"4294967295", kOutOfRange},
                      BadInput{"Port2To32", IDC_SERVER_PORT, L"4294967296", kNotANumber}));

// An edit of any of the four boxes marks either dialog.
TEST_F(SettingsDialogTest, AnEditOfAnyBoxMarksTheDialog) {
    struct Flag : CSetupClientDlg {  // reaches the base's flag of any dialog
        static void Clear(CSetupClientDlg& dialog) { dialog.*(&Flag::m_modified) = FALSE; }
    };
    CClientConfigurationDlg configuration;
    CInstallClientConfigurationDlg install;
    std::vector<BOOL> marks;
    for (CSetupClientDlg* dialog : std::initializer_list<CSetupClientDlg*>{&configuration, &install}) {
        Run(*dialog, [&](DialogDriver& w) {
            for (int id : {IDC_SERVER_HOST, IDC_SERVER_PORT, IDC_ADMIN_LOGIN, IDC_WORKSTATION_NAME})
                Flag::Clear(*dialog), w.Type(id, L"7"), marks.push_back(dialog->IsModified());
        });
    }
    EXPECT_EQ(marks, std::vector<BOOL>(8, TRUE));
}

// "Load defaults" refills the boxes from a fresh parameters object of the replaceable factory
// without marking the dialog; an error escaping it shows the "Error!" box and leaves the dialog open.
TEST_F(SettingsDialogTest, LoadDefaultsRefillsTheControlsWithoutMarkingTheDialog) {
    struct Counting : CClientConfigurationDlg {  // its parameters objects do not start from the defaults
        int made = 0;
        std::unique_ptr<CorvexParameters> CreateParameters() override {
            if (++made == 3) throw std::runtime_error("no defaults today");
            std::unique_ptr<CorvexParameters> parameters = CClientConfigurationDlg::CreateParameters();
            parameters->SetCoordinator(L"preset.example", 1, false);
            return parameters;
        }
    } dialog;
    Run(dialog, [&](DialogDriver& w) {
        w.Click(IDC_LOAD_DEFAULTS);
        EXPECT_EQ(std::make_tuple(w.Boxes(), dialog.IsModified()),
                  std::make_tuple(Texts{L"localhost", L"9750", L"Administrator", L""}, FALSE));
        w.Click(IDC_LOAD_DEFAULTS);
        EXPECT_EQ(std::make_tuple(dialog.made, w.Ended()), std::make_tuple(3, false));
        w.Click(IDCANCEL);
    });
    EXPECT_EQ(testing_support::Described(bench.prompts.messageBoxes), L"no defaults today|Error!|16|0|1005\n");
    EXPECT_EQ(bench.ReadAgentSettings().host, L"backup.example.com") << "Cancel saved nothing";
}

// A save step that refuses a value of no box shows its message and moves no focus; one that
// fails otherwise shows the "Error!" box. Either way the dialog stays open, the install-time
// one too, and no service step follows.
template <typename Dialog>
struct FailingSave : Dialog {
    explicit FailingSave(std::function<void()> fail) : fail(std::move(fail)) {}
    BOOL SaveParameters(CorvexParameters&) override { return fail(), TRUE; }
    std::function<void()> fail;
};

TEST_F(SettingsDialogTest, AFailedSaveShowsItsBoxAndKeepsTheDialogOpen) {
    FailingSave<CClientConfigurationDlg> refusing([] { throw CorvexParameters::ValidationError(L"refused", nullptr); });
    FailingSave<CInstallClientConfigurationDlg> failing([] { throw std::runtime_error("disk on fire"); });
    for (CDialog* dialog : std::initializer_list<CDialog*>{&refusing, &failing}) {
        EXPECT_EQ(Run(*dialog,
                      [&](DialogDriver& w) {
                          w.Type(IDC_SERVER_HOST, L"new.example.com");
                          w.Click(IDOK, true);
                      }),
                  testing_support::kLeftOpen);
    }
    EXPECT_EQ(testing_support::Described(bench.prompts.messageBoxes),
              L"refused|SetupClient|48|1|1\ndisk on fire|Error!|16|0|1\n");
    EXPECT_EQ(bench.services.Count("Start") + bench.firewall.adds, 0);
}

// Minimised, the dialog erases the icon's background with its paint context, then draws its
// icon centred in signed arithmetic that truncates toward zero (a client area smaller than the
// icon puts it left of and above the corner). The system's answers are replaced at the calls
// while the dialog repaints: the window is minimised, its client area chosen, the icon 32 by 28.
TEST_F(SettingsDialogTest, MinimisedItDrawsItsIconCentredTruncatingTowardZero) {
    using Drawn = std::vector<std::tuple<bool, int, int, HICON>>;  // on the DC erased and painted, x, y, icon
    static RECT client;
    static HDC painted, erased;
    static Drawn drawn;
    static decltype(&::BeginPaint) begin;
    static decltype(&::SendMessageW) send;
    CClientConfigurationDlg dialog;
    HICON icon = nullptr;
    Run(dialog, [&](DialogDriver& w) {
        icon = reinterpret_cast<HICON>(w.Send(WM_GETICON, ICON_BIG));
        ImportHook<decltype(&::IsIconic)> minimised("IsIconic", [](HWND) { return TRUE; });
        ImportHook<decltype(&::GetClientRect)> area("GetClientRect", [](HWND, RECT* r) { return *r = client, TRUE; });
        ImportHook<decltype(&::GetSystemMetrics)> size("GetSystemMetrics", [](int index) {
            return index == SM_CXICON ? 32 : index == SM_CYICON ? 28 : 0;
        });
        ImportHook<decltype(&::BeginPaint)> paint("BeginPaint",
                                                  [](HWND to, PAINTSTRUCT* p) { return painted = begin(to, p); });
        ImportHook<decltype(&::SendMessageW)> erase("SendMessageW", [](HWND to, UINT message, WPARAM w, LPARAM l) {
            if (message == WM_ICONERASEBKGND) erased = reinterpret_cast<HDC>(w);
            return send(to, message, w, l);
        });
        ImportHook<decltype(&::DrawIcon)> draw("DrawIcon", [](HDC dc, int x, int y, HICON shown) {
            return drawn.push_back({dc == erased && dc == painted && dc != nullptr, x, y, shown}), TRUE;
        });
        begin = paint.Original(), send = erase.Original();
        for (const RECT& rect : {RECT{0, 0, 37, 41}, RECT{0, 0, 0, 0}}) {
            client = rect, painted = erased = nullptr;
            ::RedrawWindow(dialog.GetWindow()->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        }
    });
    EXPECT_EQ(drawn, (Drawn{{true, 3, 7, icon}, {true, -15, -13, icon}}));
}

}  // namespace
