// The kit dialog as a user drives it: the workstation-name choice, the two predefined
// settings folders, and "Create" from the saving to the success message.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "packet_bench.h"
#include "res/resource.h"

namespace {

using testing_support::PacketBench;
using testing_support::TestPacketDlg;

TEST(WorkstationNameChoice, OnlyOneAndTwoLeaveTheComputerName) {
    EXPECT_EQ(ToWorkstationNameChoice(1), AskWhileInstalling);
    EXPECT_EQ(ToWorkstationNameChoice(2), UseTypedName);
    for (int other : {0, -1, 3}) EXPECT_EQ(ToWorkstationNameChoice(other), UseComputerName) << other;
}

TEST(PredefinedFolders, LieBelowTheUsersSettingsFolder) {
    PacketBench bench;
    TestPacketDlg dialog;
    EXPECT_EQ(dialog.GetUserSettingsDir(), bench.UserSettingsRoot() + L"PredefinedClientSettings\\User\\");
    EXPECT_EQ(dialog.GetWorkstationSettingsDir(), bench.UserSettingsRoot() + L"PredefinedClientSettings\\Workstation\\");
}

// What "Create" stored in the two predefined settings folders.
PacketBench::Stored ReadPredefined(PacketBench& bench, TestPacketDlg& dialog) {
    return bench.ReadSettings(dialog.GetUserSettingsDir(), dialog.GetWorkstationSettingsDir());
}

bool StoredAsSystemSupplied(PacketBench& bench, TestPacketDlg& dialog) {
    std::string bytes;
    bench.files.ReadWholeFile(dialog.GetWorkstationSettingsDir() + L"workstation.json", 1 << 20, bytes);
    return bytes.find("\"systemSupplied\": true") != std::string::npos;
}

// Types valid server settings and the given workstation name, clicks the choice (0 for none)
// and then "Create".
std::function<void(framework::HeadlessWindow&)> FillAndCreate(const std::wstring& name, int choiceButton) {
    return [name, choiceButton](framework::HeadlessWindow& window) {
        window.Type(IDC_SERVER_HOST, L"backup01.example.com");
        window.Type(IDC_SERVER_PORT, L"9751");
        window.Type(IDC_ADMIN_LOGIN, L"CORP\\backup");
        if (choiceButton == IDC_NAME_TYPED) window.Click(IDC_NAME_TYPED);
        window.Type(IDC_WORKSTATION_NAME, name);  // refused while the box is disabled
        if (choiceButton != 0 && choiceButton != IDC_NAME_TYPED) window.Click(choiceButton);
        window.Click(IDOK);
    };
}

// "Create" with the first or second choice, whatever box 1002 holds.
struct CreateCase {
    const char* name;
    int choiceButton;
    const wchar_t* typedName;
    bool asks;
};

class CreateWithSystemNameTest : public ::testing::TestWithParam<CreateCase> {};

TEST_P(CreateWithSystemNameTest, StoresAnEmptySystemSuppliedNameAndBuildsTheKit) {
    PacketBench bench;
    bench.ui.fileAnswers.push_back(bench.PathInRoot(L"out\\kit"));
    const CreateCase c = GetParam();
    bench.ui.onDialog = [c](framework::HeadlessWindow& window) {
        window.Type(IDC_SERVER_HOST, L"backup01.example.com");
        window.Type(IDC_SERVER_PORT, L"9751");
        window.Type(IDC_ADMIN_LOGIN, L"CORP\\backup");
        // Box 1002 first gets its text under the third choice, then the tested choice is made.
        window.Click(IDC_NAME_TYPED);
        window.Type(IDC_WORKSTATION_NAME, c.typedName);
        window.Click(c.choiceButton);
        EXPECT_FALSE(window.Enabled(IDC_WORKSTATION_NAME));
        window.Click(IDOK);
        EXPECT_EQ(window.Text(IDC_WORKSTATION_NAME), c.typedName);  // the box keeps its text
    };
    TestPacketDlg dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);

    const PacketBench::Stored stored = ReadPredefined(bench, dialog);
    EXPECT_EQ(stored.host, L"backup01.example.com");
    EXPECT_EQ(stored.port, 9751);
    EXPECT_EQ(stored.login, L"CORP\\backup");
    EXPECT_EQ(stored.workstation, L"");
    EXPECT_TRUE(StoredAsSystemSupplied(bench, dialog));

    ASSERT_EQ(bench.launcher.starts.size(), 1u);
    const std::wstring& line = bench.launcher.starts[0].commandLine;
    EXPECT_EQ(line.find(L"/DASK_FOR_PARAMETERS") != std::wstring::npos, GetParam().asks);
    EXPECT_NE(line.find(L" /DOUTPUT=\"" + bench.PathInRoot(L"out\\kit.exe") + L"\""), std::wstring::npos);

    ASSERT_EQ(bench.ui.messageBoxes.size(), 1u);
    EXPECT_EQ(bench.ui.messageBoxes[0].text,
              L"The Client distribution kit is saved into \"" + bench.PathInRoot(L"out\\kit.exe") + L"\".");
    EXPECT_EQ(bench.ui.messageBoxes[0].type, MB_OK | MB_ICONINFORMATION);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, CreateWithSystemNameTest,
    ::testing::Values(CreateCase{"computer_name", IDC_NAME_COMPUTER, L"not a name!", false},
                      CreateCase{"ask", IDC_NAME_ASK, L"ws.example.com", true}),
    [](const ::testing::TestParamInfo<CreateCase>& info) { return std::string(info.param.name); });

TEST(Create, TheTypedNameIsStoredAsTypedWithTheThirdChoice) {
    PacketBench bench;
    bench.ui.fileAnswers.push_back(bench.PathInRoot(L"kit.exe"));
    bench.ui.onDialog = FillAndCreate(L"WS-0142", IDC_NAME_TYPED);
    TestPacketDlg dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(ReadPredefined(bench, dialog).workstation, L"WS-0142");
    EXPECT_FALSE(StoredAsSystemSupplied(bench, dialog));
    ASSERT_EQ(bench.launcher.starts.size(), 1u);
    EXPECT_EQ(bench.launcher.starts[0].commandLine.find(L"ASK_FOR_PARAMETERS"), std::wstring::npos);
}

TEST(Create, ARefusedTypedNameKeepsTheDialogOpenAndAsksForNoFile) {
    PacketBench bench;
    bench.ui.onDialog = FillAndCreate(L"ws.example.com", IDC_NAME_TYPED);
    TestPacketDlg dialog;
    EXPECT_EQ(dialog.DoModal(), framework::HeadlessUi::kLeftOpen);
    ASSERT_EQ(bench.ui.messageBoxes.size(), 1u);
    EXPECT_EQ(bench.ui.messageBoxes[0].type, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(bench.ui.messageBoxes[0].focus, IDC_WORKSTATION_NAME);
    EXPECT_TRUE(bench.ui.fileDialogs.empty());
    EXPECT_TRUE(bench.launcher.starts.empty());
}

TEST(Create, CancelInTheFileDialogKeepsTheStoredSettingsAndBuildsNothing) {
    PacketBench bench;
    bench.ui.fileAnswers.push_back(std::nullopt);
    bench.ui.onDialog = FillAndCreate(L"", IDC_NAME_COMPUTER);
    TestPacketDlg dialog;
    EXPECT_EQ(dialog.DoModal(), framework::HeadlessUi::kLeftOpen);
    EXPECT_EQ(ReadPredefined(bench, dialog).host, L"backup01.example.com");
    EXPECT_TRUE(bench.launcher.starts.empty());
    EXPECT_TRUE(bench.ui.messageBoxes.empty());
}

TEST(Create, ACompilerThatCannotStartKeepsTheDialogOpenWithoutSuccessAndCreateWorksAgain) {
    PacketBench bench;
    bench.launcher.startError = 3;
    bench.ui.fileAnswers.push_back(bench.PathInRoot(L"kit.exe"));
    bench.ui.fileAnswers.push_back(bench.PathInRoot(L"kit.exe"));
    bench.ui.onDialog = [&](framework::HeadlessWindow& window) {
        FillAndCreate(L"", IDC_NAME_ASK)(window);
        ASSERT_FALSE(window.Ended());
        ASSERT_EQ(bench.ui.messageBoxes.size(), 1u);
        EXPECT_EQ(bench.ui.messageBoxes[0].text, L"Can't launch the client packet builder (system error is 3).");
        bench.launcher.startError = 0;
        window.Click(IDOK);
    };
    TestPacketDlg dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(bench.launcher.starts.size(), 2u);
}

// Opening and the choice buttons.
TEST(Opening, SelectsTheComputerNameAndDisablesTheBoxWhateverWasStored) {
    PacketBench bench;
    {
        // A previous "Create" with the third choice.
        bench.ui.fileAnswers.push_back(bench.PathInRoot(L"kit.exe"));
        bench.ui.onDialog = FillAndCreate(L"WS-0142", IDC_NAME_TYPED);
        TestPacketDlg first;
        ASSERT_EQ(first.DoModal(), IDOK);
    }
    bool checked = false;
    bool enabled = true;
    std::wstring shown;
    bench.ui.onDialog = [&](framework::HeadlessWindow& window) {
        checked = window.Checked(IDC_NAME_COMPUTER) && !window.Checked(IDC_NAME_ASK) && !window.Checked(IDC_NAME_TYPED);
        enabled = window.Enabled(IDC_WORKSTATION_NAME);
        shown = window.Text(IDC_WORKSTATION_NAME);
        window.Click(IDCANCEL);
    };
    TestPacketDlg second;
    second.DoModal();
    EXPECT_TRUE(checked);
    EXPECT_FALSE(enabled);
    EXPECT_EQ(shown, L"WS-0142");
}

struct ClickCase {
    int button;
    int index;
    bool boxEnabled;
};

class ChoiceClickTest : public ::testing::TestWithParam<ClickCase> {};

TEST_P(ChoiceClickTest, EnablesTheNameBoxExactlyForTheTypedNameAndLoadDefaultsKeepsBoth) {
    PacketBench bench;
    bench.ui.onDialog = [&](framework::HeadlessWindow& window) {
        window.Click(IDC_NAME_TYPED);  // start from an enabled box
        window.Click(GetParam().button);
        EXPECT_EQ(window.Enabled(IDC_WORKSTATION_NAME), GetParam().boxEnabled);
        window.Click(IDC_LOAD_DEFAULTS);
        EXPECT_EQ(window.Enabled(IDC_WORKSTATION_NAME), GetParam().boxEnabled);
        EXPECT_TRUE(window.Checked(GetParam().button));
        window.Click(IDCANCEL);
    };
    TestPacketDlg dialog;
    dialog.DoModal();
    EXPECT_EQ(dialog.NameChoice(), GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(Buttons, ChoiceClickTest,
                         ::testing::Values(ClickCase{IDC_NAME_COMPUTER, 0, false}, ClickCase{IDC_NAME_ASK, 1, false},
                                           ClickCase{IDC_NAME_TYPED, 2, true}));

TEST(ChoiceClick, ABadPortKeepsThePreviousChoiceAndItsBoxState) {
    PacketBench bench;
    bool enabled = true;
    bench.ui.onDialog = [&](framework::HeadlessWindow& window) {
        window.Type(IDC_SERVER_PORT, L"");
        window.Click(IDC_NAME_TYPED);  // the exchange stops at the port, before the choice
        enabled = window.Enabled(IDC_WORKSTATION_NAME);
        window.Click(IDCANCEL);
    };
    TestPacketDlg dialog;
    dialog.DoModal();
    EXPECT_EQ(dialog.NameChoice(), 0);
    EXPECT_FALSE(enabled);
    EXPECT_FALSE(bench.ui.messageBoxes.empty());  // the framework's prompt for a number
}

TEST(Opening, AFailedLoadLeavesNoChoiceAndCreateCountsItAsTheComputerName) {
    PacketBench bench;
    TestPacketDlg probe;
    // A damaged predefined settings file makes the base's opening fail.
    ASSERT_EQ(bench.files.CreateFolders(probe.GetUserSettingsDir()), 0u);
    ASSERT_EQ(bench.files.WriteAndFlush(probe.GetUserSettingsDir() + L"user.json", "{ not json"), 0u);

    bool anyChecked = true;
    bool enabled = false;
    bench.ui.fileAnswers.push_back(bench.PathInRoot(L"kit.exe"));
    bench.ui.onDialog = [&](framework::HeadlessWindow& window) {
        anyChecked = window.Checked(IDC_NAME_COMPUTER) || window.Checked(IDC_NAME_ASK) || window.Checked(IDC_NAME_TYPED);
        enabled = window.Enabled(IDC_WORKSTATION_NAME);
        window.Type(IDC_SERVER_HOST, L"backup01");
        window.Type(IDC_SERVER_PORT, L"9750");
        window.Type(IDC_ADMIN_LOGIN, L"CORP\\backup");
        window.Type(IDC_WORKSTATION_NAME, L"not a name!");
        window.Click(IDOK);
    };
    TestPacketDlg dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_FALSE(anyChecked);
    EXPECT_TRUE(enabled);
    EXPECT_EQ(dialog.NameChoice(), -1);
    EXPECT_EQ(ReadPredefined(bench, dialog).workstation, L"");
    ASSERT_EQ(bench.launcher.starts.size(), 1u);
    EXPECT_EQ(bench.launcher.starts[0].commandLine.find(L"ASK_FOR_PARAMETERS"), std::wstring::npos);
}

}  // namespace
