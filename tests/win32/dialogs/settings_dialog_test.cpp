// The settings dialog base, driven through the workstation configuration dialog (the base
// can't be made by itself) and through a probe dialog where a fault must be staged.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "dialogs/client_configuration_dlg.h"
#include "framework/data_exchange.h"
#include "params/corvex_parameters.h"
#include "res/resource.h"

namespace {

using testing_support::DialogDriver;
using testing_support::AppBench;

using SettingsDialogTest = testing_support::DialogFixture;

TEST_F(SettingsDialogTest, OpensWithTheStoredSettingsUnmodifiedAndOkWritesTheFourValuesInTheControls) {
    CClientConfigurationDlg dialog;
    const INT_PTR result = Run(dialog, [&](DialogDriver& w) {
        EXPECT_EQ(w.Text(IDC_SERVER_HOST), L"backup.example.com");
        EXPECT_EQ(w.Text(IDC_SERVER_PORT), L"9750");
        EXPECT_EQ(w.Text(IDC_ADMIN_LOGIN), L"CORP\\backup");
        EXPECT_EQ(w.Text(IDC_WORKSTATION_NAME), L"WS-01");
        EXPECT_EQ(w.Focus(), IDC_SERVER_HOST);
        EXPECT_FALSE(dialog.IsModified());
        w.Type(IDC_SERVER_HOST, L"10.1.2.3");
        w.Type(IDC_SERVER_PORT, L"4000");
        w.Type(IDC_ADMIN_LOGIN, L"admin@corp.example");
        w.Type(IDC_WORKSTATION_NAME, L"OFFICE-PC7");
        w.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    const AppBench::Stored stored = bench.ReadAgentSettings();
    EXPECT_EQ(stored.host, L"10.1.2.3");
    EXPECT_EQ(stored.port, 4000);
    EXPECT_EQ(stored.login, L"admin@corp.example");
    EXPECT_EQ(stored.workstation, L"OFFICE-PC7");
}

// A dialog whose save raises what the test stages, to reach the catch clauses.
class ProbeDialog : public CClientConfigurationDlg {
public:
    std::function<void()> onSave;
    BOOL SaveParameters(CorvexParameters& parameters) override {
        onSave();
        return CClientConfigurationDlg::SaveParameters(parameters);
    }
};

TEST_F(SettingsDialogTest, ARejectionOfAnUnknownValueChangesNoFocusButIsShown) {
    ProbeDialog dialog;
    int unrelated = 0;
    dialog.onSave = [&] { throw CorvexParameters::ValidationError(L"Something else is wrong.", &unrelated); };
    Run(dialog, [&](DialogDriver& w) {
        w.Click(IDOK);
        EXPECT_EQ(w.Focus(), IDOK) << "the focus stays on the button that was clicked";
        w.Click(IDCANCEL);
    });
    EXPECT_EQ(Shown(), std::vector<std::wstring>{L"Something else is wrong."});
}

TEST_F(SettingsDialogTest, AnotherFailureWhileSavingShowsTheErrorBox) {
    ProbeDialog dialog;
    dialog.onSave = [] { throw std::runtime_error("disk on fire"); };
    Run(dialog, [&](DialogDriver& w) {
        w.Click(IDOK);
        EXPECT_FALSE(w.Ended());
        w.Click(IDCANCEL);
    });
    ASSERT_EQ(bench.prompts.messageBoxes.size(), 1u);
    EXPECT_EQ(bench.prompts.messageBoxes[0].text, L"disk on fire");
    EXPECT_EQ(bench.prompts.messageBoxes[0].caption, L"Error!");
    EXPECT_EQ(bench.prompts.messageBoxes[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_FALSE(bench.prompts.messageBoxes[0].owned);
}

TEST_F(SettingsDialogTest, LoadDefaultsRefillsTheControlsWithoutMarkingTheDialog) {
    CClientConfigurationDlg dialog;
    CorvexParameters defaults(L"client");
    defaults.LoadSystemDefaults();
    Run(dialog, [&](DialogDriver& w) {
        w.Click(IDC_LOAD_DEFAULTS);
        EXPECT_EQ(w.Text(IDC_SERVER_HOST), defaults.GetCoordinatorHost());
        EXPECT_EQ(w.Text(IDC_SERVER_PORT), std::to_wstring(defaults.GetCoordinatorPort()));
        EXPECT_EQ(w.Text(IDC_ADMIN_LOGIN), defaults.GetAllowedUserName());
        EXPECT_EQ(w.Text(IDC_WORKSTATION_NAME), defaults.GetClientName());
        EXPECT_FALSE(dialog.IsModified());
        w.Type(IDC_ADMIN_LOGIN, L"CORP\\x");
        w.Click(IDC_LOAD_DEFAULTS);
        EXPECT_TRUE(dialog.IsModified()) << "keeps its previous value";
        w.Click(IDCANCEL);
    });
    EXPECT_EQ(bench.ReadAgentSettings().host, L"backup.example.com") << "Cancel saved nothing";
}

TEST_F(SettingsDialogTest, AStoreThatCantBeReadOpensTheDialogEmpty) {
    // Damaged, with no intact file beside it (an intact one would be shown).
    bench.files.Remove(bench.AgentStore() + L"workstation.json");
    bench.files.Remove(bench.AgentStore() + L"user.json");
    ASSERT_EQ(bench.files.WriteNewFile(bench.AgentStore() + L"user.json", "{ not json", false), 0u);
    CClientConfigurationDlg dialog;
    Run(dialog, [&](DialogDriver& w) {
        EXPECT_EQ(w.Text(IDC_SERVER_HOST), L"");
        EXPECT_EQ(w.Text(IDC_SERVER_PORT), L"");
        EXPECT_TRUE(w.Enabled(IDC_START)) << "the buttons stay as the template has them";
        EXPECT_TRUE(w.Enabled(IDC_STOP));
        w.Click(IDOK);
        EXPECT_FALSE(w.Ended()) << "OK is refused until a port is typed";
        w.Click(IDCANCEL);
    });
    ASSERT_EQ(bench.prompts.messageBoxes.size(), 2u);
    EXPECT_EQ(bench.prompts.messageBoxes[0].caption, L"Error!");
    EXPECT_NE(bench.prompts.messageBoxes[0].text.find(L"user.json"), std::wstring::npos) << "names the file";
    EXPECT_EQ(bench.prompts.messageBoxes[1].text, kPromptUnsignedNumber);
}

}  // namespace
