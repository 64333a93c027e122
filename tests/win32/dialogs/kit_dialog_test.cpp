// The kit dialog as a user drives it: the workstation-name choice and box 1002, the settings
// stored in the two predefined folders, the output file, the compiler's run and the success
// message. The build's arguments and the compiler's run are the native packet tests'.
#include <optional>

#include "dialog_bench.h"
#include "packet/create_client_packet_dlg.h"
#include "platform/fake/fake_process_launcher.h"

namespace {

using testing_support::DialogDriver;

class KitDialogTest : public testing_support::DialogTest {
protected:
    KitDialogTest() {
        platform::Seams seams = platform::Current();
        seams.processes = &launcher;
        platform::Install(seams);
        launcher.onStart = [this](const platform::FakeProcessLauncher::Start&) {
            waitCursorWhileRunning = ::GetCursor() == ::LoadCursorW(nullptr, IDC_WAIT);
        };
    }
    std::wstring CommandLine() const { return launcher.starts.empty() ? L"" : launcher.starts[0].commandLine; }

    platform::FakeProcessLauncher launcher;
    CCreateClientPacketDlg dialog;
    bool waitCursorWhileRunning = false;
};

// "Create" with each choice (after "Load defaults"), box 1002 holding a name typed under the
// third choice first.
struct CreateCase {
    const char* name;
    int choiceButton;
    const wchar_t* typedName;
    bool stored;  // the typed name is stored as typed, not supplied by the system
    bool asks;    // the installer asks for the settings
};

class CreateTest : public KitDialogTest, public ::testing::WithParamInterface<CreateCase> {};

TEST_P(CreateTest, StoresTheSettingsAndTheNameByTheChoiceAndBuildsTheKit) {
    const CreateCase& c = GetParam();
    bench.prompts.fileAnswers.push_back(bench.PathInRoot(L"kit"));
    EXPECT_EQ(Run(dialog,
                  [&](DialogDriver& w) {
                      EXPECT_TRUE(w.Checked(IDC_NAME_COMPUTER));
                      EXPECT_EQ(w.Cue(IDC_WORKSTATION_NAME), L"Leave empty to use each workstation's own network name");
                      w.Click(c.choiceButton);
                      w.Click(IDC_LOAD_DEFAULTS);  // keeps the choice and its box's state
                      EXPECT_TRUE(w.Checked(c.choiceButton));
                      EXPECT_EQ(w.Enabled(IDC_WORKSTATION_NAME), c.stored);
                      w.Type(IDC_SERVER_HOST, L"backup01.example.com");
                      w.Type(IDC_SERVER_PORT, L"9751");
                      w.Type(IDC_ADMIN_LOGIN, L"CORP\\backup");
                      w.Click(IDC_NAME_TYPED);
                      EXPECT_TRUE(w.Type(IDC_WORKSTATION_NAME, c.typedName));
                      w.Click(c.choiceButton);
                      EXPECT_EQ(w.Enabled(IDC_WORKSTATION_NAME), c.stored);
                      w.Click(IDOK);
                  }),
              IDOK);
    const auto stored = bench.ReadSettings(dialog.GetUserSettingsDir(), dialog.GetWorkstationSettingsDir());
    EXPECT_EQ(stored.host, L"backup01.example.com");
    EXPECT_EQ(stored.port, 9751);
    EXPECT_EQ(stored.login, L"CORP\\backup");
    EXPECT_EQ(stored.workstation, c.stored ? c.typedName : L"");
    EXPECT_EQ(SystemSupplied(dialog.GetWorkstationSettingsDir()), !c.stored);
    EXPECT_EQ(CommandLine().find(L" /DASK_FOR_PARAMETERS") != std::wstring::npos, c.asks);
    const std::wstring output = bench.PathInRoot(L"kit.exe");
    EXPECT_NE(CommandLine().find(L" /DOUTPUT=\"" + output + L"\""), std::wstring::npos);
    EXPECT_TRUE(waitCursorWhileRunning);
    EXPECT_NE(::GetCursor(), ::LoadCursorW(nullptr, IDC_WAIT));
    EXPECT_EQ(Shown(), std::vector<std::wstring>{L"The Client distribution kit is saved into \"" + output + L"\"."});
    EXPECT_EQ(bench.prompts.messageBoxes[0].type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
}

INSTANTIATE_TEST_SUITE_P(Choices, CreateTest,
                         ::testing::Values(CreateCase{"computer_name", IDC_NAME_COMPUTER, L"not a name!", false, false},
                                           CreateCase{"ask", IDC_NAME_ASK, L"ws.example.com", false, true},
                                           CreateCase{"typed_name", IDC_NAME_TYPED, L"WS-0142", true, false}));

// An existing file is replaced only after a Yes; No opens the file dialog again, Cancel stops.
// Predefined settings that cannot be loaded: no choice is selected and box 1002 stays enabled;
// a "Create" without a click reads no choice, which counts as the computer's name.
TEST_F(KitDialogTest, AFailedLoadLeavesNoChoiceAndCreateCountsItAsTheComputerName) {
    bench.files.CreateFolders(dialog.GetUserSettingsDir());
    bench.files.WriteNewFile(dialog.GetUserSettingsDir() + L"user.json", "{ not json", false);
    bench.prompts.fileAnswers.push_back(bench.PathInRoot(L"kit.exe"));
    EXPECT_EQ(
        Run(dialog,
            [&](DialogDriver& w) {
                EXPECT_FALSE(w.Checked(IDC_NAME_COMPUTER) || w.Checked(IDC_NAME_ASK) || w.Checked(IDC_NAME_TYPED));
                EXPECT_TRUE(w.Enabled(IDC_WORKSTATION_NAME));
                w.Type(IDC_SERVER_HOST, L"backup01.example.com");
                w.Type(IDC_SERVER_PORT, L"9751");
                w.Type(IDC_ADMIN_LOGIN, L"CORP\\backup");
                w.Type(IDC_WORKSTATION_NAME, L"WS-7");
                w.Click(IDOK);
            }),
        IDOK);
    EXPECT_EQ(bench.ReadSettings(dialog.GetUserSettingsDir(), dialog.GetWorkstationSettingsDir()).workstation, L"");
    EXPECT_TRUE(SystemSupplied(dialog.GetWorkstationSettingsDir()));
    EXPECT_EQ(CommandLine().find(L"ASK_FOR_PARAMETERS"), std::wstring::npos);
}

TEST_F(KitDialogTest, AnExistingOutputFileIsReplacedOnlyAfterAskingAndCreateWorksAgain) {
    const std::wstring output = bench.PathInRoot(L"kit.exe");
    ASSERT_EQ(bench.files.WriteNewFile(output, "old kit", false), 0u);
    bench.prompts.fileAnswers = {output, output, std::nullopt, output};
    bench.prompts.answers = {IDNO, IDCANCEL, IDYES};
    const std::wstring question = L"\"" + output + L"\" already exists. Do you want to replace it?";
    EXPECT_EQ(Run(dialog,
                  [&](DialogDriver& w) {
                      w.Click(IDOK);  // No, then Cancel
                      w.Click(IDOK);  // the file dialog cancelled
                      EXPECT_FALSE(w.Ended());
                      EXPECT_TRUE(launcher.starts.empty());
                      w.Click(IDOK);  // Yes
                  }),
              IDOK);
    EXPECT_EQ(Shown(), (std::vector<std::wstring>{question, question, question,
                                                  L"The Client distribution kit is saved into \"" + output + L"\"."}));
    EXPECT_EQ(launcher.starts.size(), 1u);
}

}  // namespace
