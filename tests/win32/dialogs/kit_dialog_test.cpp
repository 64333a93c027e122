// The kit dialog as a user drives it: the workstation-name choice, the two predefined
// settings folders, and "Create" from the saving to the success message.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "app/setup_client_app.h"
#include "app_bench.h"
#include "dialog_driver.h"
#include "packet/create_client_packet_dlg.h"
#include "platform/fake/fake_process_launcher.h"
#include "res/resource.h"

namespace {

using testing_support::DialogDriver;

// The kit dialog with its choice open to a test.
class TestPacketDlg : public CCreateClientPacketDlg {
public:
    int NameChoice() const { return m_nameChoice; }
};

// The bench, a launcher that records the compiler's start, and one kit dialog; Run shows the
// dialog with `user` playing the user.
class KitTest : public ::testing::Test {
protected:
    KitTest() {
        platform::Seams seams = platform::Current();
        seams.processes = &launcher;
        platform::Install(seams);
    }
    INT_PTR Run(std::function<void(DialogDriver&)> user) {
        return testing_support::RunModal([&] { return dialog.DoModal(); }, user);
    }

    testing_support::AppBench bench;
    platform::FakeProcessLauncher launcher;
    CSetupClientApp app;
    TestPacketDlg dialog;
};

class KitDialogTest : public KitTest {
protected:
    // What "Create" stored in the two predefined settings folders.
    testing_support::AppBench::Stored Predefined() {
        return bench.ReadSettings(dialog.GetUserSettingsDir(), dialog.GetWorkstationSettingsDir());
    }
    bool StoredAsSystemSupplied() {
        std::string bytes;
        bench.files.ReadWholeFile(dialog.GetWorkstationSettingsDir() + L"workstation.json", 1 << 20, bytes);
        return bytes.find("\"systemSupplied\": true") != std::string::npos;
    }
    std::wstring CommandLine() const {
        return launcher.starts.empty() ? L"(not started)" : launcher.starts[0].commandLine;
    }
};

TEST_F(KitDialogTest, PredefinedFoldersLieBelowTheUsersSettingsFolder) {
    const std::wstring root = bench.folders.userAppData + L"\\Quentara\\Corvex Workstation\\PredefinedClientSettings\\";
    EXPECT_EQ(dialog.GetUserSettingsDir(), root + L"User\\");
    EXPECT_EQ(dialog.GetWorkstationSettingsDir(), root + L"Workstation\\");
}

void TypeServerSettings(DialogDriver& window) {
    window.Type(IDC_SERVER_HOST, L"backup01.example.com");
    window.Type(IDC_SERVER_PORT, L"9751");
    window.Type(IDC_ADMIN_LOGIN, L"CORP\\backup");
}

// Types valid server settings and the given workstation name, clicks the choice (0 for none)
// and then "Create".
std::function<void(DialogDriver&)> FillAndCreate(const std::wstring& name, int choiceButton) {
    return [name, choiceButton](DialogDriver& window) {
        TypeServerSettings(window);
        if (choiceButton == IDC_NAME_TYPED) window.Click(IDC_NAME_TYPED);
        window.Type(IDC_WORKSTATION_NAME, name);  // refused while the box is disabled
        if (choiceButton != 0 && choiceButton != IDC_NAME_TYPED) window.Click(choiceButton);
        window.Click(IDOK);
    };
}

// "Create" with each choice (after "Load defaults"), box 1002 holding a name typed under the
// third choice first.
struct CreateCase {
    const char* name;
    int choiceButton;
    const wchar_t* typedName;
    bool stored;  // the typed name is stored (as typed, not supplied by the system)
    bool asks;
};

class CreateTest : public KitDialogTest, public ::testing::WithParamInterface<CreateCase> {};

TEST_P(CreateTest, StoresTheSettingsAndTheNameByTheChoiceAndBuildsTheKit) {
    const CreateCase& c = GetParam();
    bench.prompts.fileAnswers.push_back(bench.PathInRoot(L"out\\kit"));
    EXPECT_EQ(Run([&](DialogDriver& window) {
                  window.Click(c.choiceButton);
                  window.Click(IDC_LOAD_DEFAULTS);  // keeps the choice and its box's state
                  EXPECT_TRUE(window.Checked(c.choiceButton));
                  EXPECT_EQ(window.Enabled(IDC_WORKSTATION_NAME), c.stored);
                  TypeServerSettings(window);
                  window.Click(IDC_NAME_TYPED);
                  window.Type(IDC_WORKSTATION_NAME, c.typedName);
                  window.Click(c.choiceButton);
                  EXPECT_EQ(window.Enabled(IDC_WORKSTATION_NAME), c.stored);
                  window.Click(IDOK);
                  EXPECT_EQ(window.Text(IDC_WORKSTATION_NAME), c.typedName);  // the box keeps its text
              }),
              IDOK);

    const auto stored = Predefined();
    EXPECT_EQ(stored.host, L"backup01.example.com");
    EXPECT_EQ(stored.port, 9751);
    EXPECT_EQ(stored.login, L"CORP\\backup");
    EXPECT_EQ(stored.workstation, c.stored ? c.typedName : L"");
    EXPECT_EQ(StoredAsSystemSupplied(), !c.stored);

    EXPECT_EQ(CommandLine().find(L"/DASK_FOR_PARAMETERS") != std::wstring::npos, c.asks);
    EXPECT_NE(CommandLine().find(L" /DOUTPUT=\"" + bench.PathInRoot(L"out\\kit.exe") + L"\""), std::wstring::npos);
    ASSERT_EQ(bench.prompts.messageBoxes.size(), 1u);
    EXPECT_EQ(bench.prompts.messageBoxes[0].text,
              L"The Client distribution kit is saved into \"" + bench.PathInRoot(L"out\\kit.exe") + L"\".");
    EXPECT_EQ(bench.prompts.messageBoxes[0].type, MB_OK | MB_ICONINFORMATION);
}

INSTANTIATE_TEST_SUITE_P(Choices, CreateTest,
                         ::testing::Values(CreateCase{"computer_name", IDC_NAME_COMPUTER, L"not a name!", false, false},
                                           CreateCase{"ask", IDC_NAME_ASK, L"ws.example.com", false, true},
                                           CreateCase{"typed_name", IDC_NAME_TYPED, L"WS-0142", true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(KitDialogTest, ARefusedTypedNameKeepsTheDialogOpenAndAsksForNoFile) {
    EXPECT_EQ(Run(FillAndCreate(L"ws.example.com", IDC_NAME_TYPED)), testing_support::kLeftOpen);
    ASSERT_EQ(bench.prompts.messageBoxes.size(), 1u);
    EXPECT_EQ(bench.prompts.messageBoxes[0].type, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(bench.prompts.messageBoxes[0].focus, IDC_WORKSTATION_NAME);
    EXPECT_TRUE(bench.prompts.fileDialogs.empty());
    EXPECT_TRUE(launcher.starts.empty());
}

TEST_F(KitDialogTest, ACancelledFileDialogOrACompilerThatCannotStartKeepsTheDialogOpenAndCreateWorksAgain) {
    launcher.startError = 3;
    bench.prompts.fileAnswers.push_back(std::nullopt);
    bench.prompts.fileAnswers.push_back(bench.PathInRoot(L"kit.exe"));
    bench.prompts.fileAnswers.push_back(bench.PathInRoot(L"kit.exe"));
    EXPECT_EQ(Run([&](DialogDriver& window) {
                  FillAndCreate(L"", IDC_NAME_ASK)(window);  // Cancel in the file dialog
                  EXPECT_EQ(Predefined().host, L"backup01.example.com") << "the settings are stored first";
                  EXPECT_TRUE(launcher.starts.empty());
                  EXPECT_TRUE(bench.prompts.messageBoxes.empty());
                  window.Click(IDOK);
                  ASSERT_FALSE(window.Ended());
                  EXPECT_EQ(bench.prompts.messageBoxes.size(), 1u);  // the launch message, no success
                  launcher.startError = 0;
                  window.Click(IDOK);
              }),
              IDOK);
    EXPECT_EQ(launcher.starts.size(), 2u);
}

// Opening and the choice buttons.
TEST_F(KitDialogTest, OpeningSelectsTheComputerNameAndDisablesTheBoxWhateverWasStored) {
    bench.prompts.fileAnswers.push_back(bench.PathInRoot(L"kit.exe"));
    ASSERT_EQ(Run(FillAndCreate(L"WS-0142", IDC_NAME_TYPED)), IDOK);  // a previous "Create" with the third choice
    TestPacketDlg second;
    testing_support::RunModal([&] { return second.DoModal(); }, [&](DialogDriver& window) {
        EXPECT_TRUE(window.Checked(IDC_NAME_COMPUTER));
        EXPECT_FALSE(window.Checked(IDC_NAME_ASK) || window.Checked(IDC_NAME_TYPED));
        EXPECT_FALSE(window.Enabled(IDC_WORKSTATION_NAME));
        EXPECT_EQ(window.Text(IDC_WORKSTATION_NAME), L"WS-0142");
        window.Click(IDCANCEL);
    });
}

TEST_F(KitDialogTest, ABadPortKeepsThePreviousChoiceAndItsBoxState) {
    Run([&](DialogDriver& window) {
        window.Type(IDC_SERVER_PORT, L"");
        window.Click(IDC_NAME_TYPED);  // the exchange stops at the port, before the choice
        EXPECT_FALSE(window.Enabled(IDC_WORKSTATION_NAME));
        window.Click(IDCANCEL);
    });
    EXPECT_EQ(dialog.NameChoice(), 0);
    EXPECT_FALSE(bench.prompts.messageBoxes.empty());  // the framework's prompt for a number
}

TEST_F(KitDialogTest, AFailedLoadLeavesNoChoiceAndCreateCountsItAsTheComputerName) {
    // A damaged predefined settings file makes the base's opening fail.
    ASSERT_EQ(bench.files.CreateFolders(dialog.GetUserSettingsDir()), 0u);
    ASSERT_EQ(bench.files.WriteNewFile(dialog.GetUserSettingsDir() + L"user.json", "{ not json", false), 0u);
    bench.prompts.fileAnswers.push_back(bench.PathInRoot(L"kit.exe"));
    EXPECT_EQ(Run([&](DialogDriver& window) {
                  EXPECT_FALSE(window.Checked(IDC_NAME_COMPUTER) || window.Checked(IDC_NAME_ASK) ||
                               window.Checked(IDC_NAME_TYPED));
                  EXPECT_TRUE(window.Enabled(IDC_WORKSTATION_NAME));
                  FillAndCreate(L"not a name!", 0)(window);
              }),
              IDOK);
    EXPECT_EQ(dialog.NameChoice(), -1);
    EXPECT_EQ(Predefined().workstation, L"");
    EXPECT_EQ(CommandLine().find(L"ASK_FOR_PARAMETERS"), std::wstring::npos);
    EXPECT_EQ(launcher.starts.size(), 1u);
}

}  // namespace
