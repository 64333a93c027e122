// The install-time dialog: no way out but an accepted OK, and OK always finishes.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "dialogs/install_client_configuration_dlg.h"
#include "res/resource.h"

namespace {

using testing_support::DialogDriver;

class InstallDialogTest : public testing_support::DialogFixture {
protected:
    INT_PTR Run(std::function<void(DialogDriver&)> user) { return DialogFixture::Run(dialog, std::move(user)); }

    CInstallClientConfigurationDlg dialog;
};

TEST_F(InstallDialogTest, EscapeAndCloseRequestsAreIgnored) {
    Run([&](DialogDriver& w) {
        w.Type(IDC_SERVER_HOST, L"new.example.com");
        w.PressEscape();
        w.Close();
        EXPECT_FALSE(w.Ended());
    });
    EXPECT_EQ(bench.ReadAgentSettings().host, L"backup.example.com");
}

struct ServiceCase {
    const char* name;
    DWORD state;
    DWORD startRefusedWith;
    int stops;
    int starts;
    size_t messages;
};

class InstallOkTest : public InstallDialogTest, public ::testing::WithParamInterface<ServiceCase> {};

TEST_P(InstallOkTest, SavesThenRestartsAndClosesWhateverTheServiceDoes) {
    bench.services.state = GetParam().state;
    if (GetParam().startRefusedWith != 0) bench.services.FailCall("Start", 0, GetParam().startRefusedWith);
    const INT_PTR result = Run([&](DialogDriver& w) {
        w.Type(IDC_SERVER_HOST, L"new.example.com");
        w.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(bench.ReadAgentSettings().host, L"new.example.com");
    EXPECT_EQ(bench.services.Count("Control"), GetParam().stops);
    EXPECT_EQ(bench.services.Count("Start"), GetParam().starts);
    EXPECT_EQ(bench.prompts.messageBoxes.size(), GetParam().messages);
    EXPECT_GT(bench.firewall.lookups, 0);
}

INSTANTIATE_TEST_SUITE_P(Services, InstallOkTest,
                         ::testing::Values(ServiceCase{"Stopped", SERVICE_STOPPED, 0, 0, 1, 0},
                                           ServiceCase{"Running", SERVICE_RUNNING, 0, 1, 1, 0},
                                           ServiceCase{"CannotStart", SERVICE_STOPPED, 1058, 0, 1, 1}),
                         [](const ::testing::TestParamInfo<ServiceCase>& info) { return std::string(info.param.name); });

TEST_F(InstallDialogTest, AValidationErrorKeepsItOpenAndTouchesNothing) {
    Run([&](DialogDriver& w) {
        w.Type(IDC_SERVER_HOST, L"");
        w.Click(IDOK);
        EXPECT_FALSE(w.Ended());
        EXPECT_EQ(w.Focus(), IDC_SERVER_HOST);
    });
    EXPECT_EQ(bench.services.calls.size(), 0u);
    EXPECT_EQ(bench.firewall.lookups, 0);
}

}  // namespace
