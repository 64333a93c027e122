// The kit program's work against the real library and controller over fake seams: the
// switches, what a re-run keeps, registration, idempotence, uninstall and the exit codes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../params/params_fixture.h"
#include "app_bench.h"
#include "kit/kit_exit_codes.h"
#include "kit/kit_setup.h"
#include "params/corvex_parameters.h"

namespace {

using testing_support::AppBench;

struct Lines : kit::KitLog {
    void Write(const std::wstring&) override {}
};

const wchar_t kAgent[] = L"\"C:\\Corvex\\CorvexWorkstation.exe\"";
const AppBench::Stored kKit{L"kit.example.com", 9750, L"CORP\\kit", L""};
const AppBench::Stored kEdited{L"b2.example.com", 9000, L"CORP\\ops", L"WS-7"};
const AppBench::Stored kNone{L"", 0, L"", L""};

enum Mode { check, install, prepare };
enum Store { none, edited, damaged, damagedBesideAName, unwritable };
struct KitCase {
    const char* name;
    Mode mode;
    Store store;
    std::wstring switches;
    int code;
    AppBench::Stored after;  // what the store holds afterwards (host empty: no store)
    DWORD stateAfterStart = SERVICE_RUNNING;
    DWORD startRefusedWith = 0;
    DWORD registrationRefusedWith = 0;
    bool firewallIgnoresAdds = false;
};
void PrintTo(const KitCase& c, std::ostream* os) { *os << c.name; }

class KitSetupTest : public ::testing::TestWithParam<KitCase> {
protected:
    KitSetupTest() {
        bench.services.binaryPath = L"C:\\Old\\CorvexWorkstation.exe";  // registered for another folder, disabled
        bench.services.startType = 4;
        CorvexParameters kitSettings(L"client");
        kitSettings.SetCoordinator(kKit.host, kKit.port, false);
        kitSettings.SetUserName(kKit.login);
        kitSettings.Save(bench.PathInRoot(L"kit\\"), bench.PathInRoot(L"kit\\"));
    }
    kit::KitResult Run(Mode mode, const std::wstring& switches) {
        kit::KitSetup setup(L"C:\\Corvex", bench.PathInRoot(L"kit\\"), log);
        const auto arguments = kit::SplitInstallerArguments(switches);
        return mode == check ? setup.Check(arguments) : setup.Install(arguments, mode == install);
    }
    AppBench bench;
    Lines log;
};

TEST_P(KitSetupTest, SettingsServiceFirewallAndExitCode) {
    const KitCase& c = GetParam();
    if (c.store == edited || c.store == damagedBesideAName) {
        bench.StoreAgentSettings(kEdited.host, kEdited.port, kEdited.login, kEdited.workstation);
    }
    if (c.store == damaged || c.store == damagedBesideAName) {
        params_test::WriteBytes(bench.AgentStore() + L"user.json", "{\"formatVersion\": 1,");
    }
    if (c.store == unwritable) params_test::WriteBytes(bench.folders.programData + L"\\Quentara", "a file");
    if (c.store == none) bench.services.installedService.clear();  // a fresh machine: registered anew
    bench.services.stateAfterStart = c.stateAfterStart;
    if (c.startRefusedWith != 0) bench.services.FailCall("Start", 0, c.startRefusedWith);
    if (c.registrationRefusedWith != 0) {
        bench.services.FailCall("CreateOwnProcessService", 0, c.registrationRefusedWith);
        bench.services.FailCall("ChangeRegistration", 0, c.registrationRefusedWith);
    }
    bench.firewall.addIsIgnored = c.firewallIgnoresAdds;

    const kit::KitResult result = Run(c.mode, c.switches);
    EXPECT_EQ(result.code, c.code);
    EXPECT_EQ(result.message.empty(), c.code == 0);
    if (c.after.host.empty()) {
        EXPECT_FALSE(params_test::Exists(bench.AgentStore() + L"user.json")) << "the store was written";
    } else {
        const AppBench::Stored stored = bench.ReadAgentSettings();
        EXPECT_EQ(
            stored.host + L" " + std::to_wstring(stored.port) + L" " + stored.login + L" " + stored.workstation,
            c.after.host + L" " + std::to_wstring(c.after.port) + L" " + c.after.login + L" " + c.after.workstation);
    }
    // The service is repointed at this folder's agent, automatic, exactly when the settings were saved.
    const bool registers = c.mode != check && !c.after.host.empty() && c.code != KitExit::kServiceNotRegistered;
    EXPECT_EQ(bench.services.binaryPath == kAgent && bench.services.startType == SERVICE_AUTO_START, registers);
    const bool starts = c.mode == install && registers;
    EXPECT_EQ(bench.services.state == SERVICE_RUNNING, starts && c.code != KitExit::kServiceNotRunning);
    EXPECT_EQ(bench.firewall.adds, starts ? 1 : 0);
}

AppBench::Stored Named(AppBench::Stored stored, const std::wstring& name) { return stored.workstation = name, stored; }
const DWORD kPending = SERVICE_START_PENDING, kRuns = SERVICE_RUNNING;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Kit, KitSetupTest, ::testing::Values(
    KitCase{"fresh_machine_gets_the_kits_settings", install, none, L"/S", 0, kKit},
    KitCase{"switches_replace_the_kits_values", install, none,
            L"/S /server=b2.example.com /PORT=09000 \"/LOGIN=CORP\\ops\" /NAME=WS-7", 0, kEdited},
    KitCase{"last_of_a_repeated_switch_counts", install, none, L"/NAME=WS-1 /NAME=WS-7 /D=C:\\X Y /NAME=WS-9", 0,
            Named(kKit, L"WS-7")},
    KitCase{"rerun_keeps_the_stored_settings", install, edited, L"/S", 0, kEdited},
    KitCase{"rerun_applies_only_the_given_switch", install, edited, L"/SERVER=b3.example.com", 0,
            {L"b3.example.com", kEdited.port, kEdited.login, kEdited.workstation}},
    KitCase{"empty_name_means_the_computer_name", install, edited, L"/NAME=", 0, Named(kEdited, L"")},
    KitCase{"reset_switch_takes_the_kits_settings", install, edited, L"/resetsettings /PORT=9001", 0,
            {kKit.host, 9001, kKit.login, kKit.workstation}},
    KitCase{"damaged_store_is_replaced_by_the_kits", install, damaged, L"/S", 0, kKit},
    KitCase{"damaged_file_takes_the_kits_values_the_intact_one_stays", install, damagedBesideAName, L"/S", 0,
            Named(kKit, kEdited.workstation)},
    KitCase{"interactive_install_registers_but_starts_nothing", prepare, none, L"", 0, kKit},
    KitCase{"interactive_install_repoints_to_automatic", prepare, edited, L"", 0, kEdited},
    KitCase{"valid_switches_pass_the_check", check, none, L"/SERVER=[::1] /LOGIN=user@corp.example", 0, kNone},
    KitCase{"unknown_switch", check, none, L"/S /SEVER=typo", KitExit::kBadSwitch, kNone},
    KitCase{"silent_switch_in_lower_case", check, none, L"/s", KitExit::kBadSwitch, kNone},
    KitCase{"reset_switch_with_a_tail", check, none, L"/RESETSETTINGSX", KitExit::kBadSwitch, kNone},
    KitCase{"port_out_of_range", check, none, L"/PORT=70000", KitExit::kBadSwitch, kNone},
    KitCase{"login_with_a_control_character", check, none, L"/LOGIN=ab\x0001" L"cd", KitExit::kBadSwitch, kNone},
    KitCase{"refused_switch_changes_nothing_at_install", install, none, L"/PORT=0", KitExit::kBadSwitch, kNone},
    KitCase{"store_that_cannot_be_written", install, unwritable, L"/S", KitExit::kSettingsNotWritten, kNone},
    KitCase{"repointing_refused", install, edited, L"/S", KitExit::kServiceNotRegistered, kEdited, kRuns, 0, 5},
    KitCase{"registration_refused", install, none, L"/S", KitExit::kServiceNotRegistered, kKit, kRuns, 0, 5},
    KitCase{"agent_that_stays_start_pending", install, none, L"/S", KitExit::kServiceNotRunning, kKit, kPending},
    KitCase{"agent_that_never_answers_the_start", install, none, L"/S", KitExit::kServiceNotRunning, kKit, kRuns,
            ERROR_SERVICE_REQUEST_TIMEOUT},
    KitCase{"firewall_keeps_no_rule", install, none, L"/S", KitExit::kFirewallNotConfirmed, kKit, kRuns, 0, 0, true}),
    [](const ::testing::TestParamInfo<KitCase>& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(KitSetupTest, SecondRunOfTheSameKitChangesNothingAndRestartsTheAgent) {
    ASSERT_EQ(Run(install, L"/S /NAME=WS-7").code, 0);
    const std::string first = bench.AgentStoreBytes();
    bench.services.calls.clear();
    ASSERT_EQ(Run(install, L"/S /NAME=WS-7").code, 0);
    EXPECT_EQ(bench.AgentStoreBytes(), first);
    EXPECT_EQ(bench.firewall.rules.size(), 1u);
    std::vector<std::string> requests;  // openings, closings and reading the command line left out
    for (const auto& call : bench.services.calls) {
        if (call.name.find("Open") == 0 || call.name == "Close" || call.name == "QueryBinaryPath") continue;
        requests.push_back(call.name == "ChangeStartType" ? call.name + ":" + std::to_string(call.argument)
                                                          : call.name);
    }
    EXPECT_EQ(requests, (std::vector<std::string>{"CreateOwnProcessService", "ChangeRegistration", "QueryStatus",
                                                  "ChangeStartType:3", "Control", "QueryStatus", "QueryStatus",
                                                  "ChangeStartType:2", "Start", "QueryStatus", "QueryStatus"}));
}

struct UninstallCase {
    const char* name;
    std::wstring registeredAgent;  // empty: no service
    DWORD refusedWith;
    bool firewallUnreadable;
    int code;
};
void PrintTo(const UninstallCase& c, std::ostream* os) { *os << c.name; }

class KitUninstallTest : public ::testing::TestWithParam<UninstallCase> {};

TEST_P(KitUninstallTest, RemovesOnlyThisFoldersServiceAndTheFirewallException) {
    const UninstallCase& c = GetParam();
    AppBench bench;
    if (c.registeredAgent.empty()) bench.services.installedService.clear();
    bench.services.binaryPath = c.registeredAgent;
    bench.services.state = SERVICE_RUNNING;
    if (c.refusedWith != 0) bench.services.FailCall("Delete", 0, c.refusedWith);
    bench.firewall.lookupFails = c.firewallUnreadable;
    bench.firewall.rules = {{L"c:\\corvex\\corvexworkstation.exe", L"Corvex Workstation x64"},
                            {L"C:\\Other\\CorvexWorkstation.exe", L"Corvex Workstation x64"}};
    Lines log;
    EXPECT_EQ(kit::KitSetup(L"C:\\Corvex", bench.PathInRoot(L""), log).Uninstall().code, c.code);
    const bool ours = !c.registeredAgent.empty() && c.registeredAgent.find(L"Other") == std::wstring::npos;
    EXPECT_EQ(bench.services.deleted, ours && c.refusedWith == 0);
    EXPECT_EQ(bench.services.state == SERVICE_RUNNING, !ours)
        << "this folder's agent is stopped first, another's runs on";
    EXPECT_EQ(bench.firewall.rules.size(), c.firewallUnreadable ? 2u : 1u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Kit, KitUninstallTest, ::testing::Values(
    UninstallCase{"this_folders_service", kAgent, 0, false, 0},
    UninstallCase{"unquoted_in_other_letter_case", L"c:\\CORVEX\\CorvexWorkstation.exe", 0, false, 0},
    UninstallCase{"another_folders_service_is_left", L"\"C:\\Other\\CorvexWorkstation.exe\"", 0, false, 0},
    UninstallCase{"no_service", L"", 0, false, 0},
    UninstallCase{"service_that_cannot_be_removed", kAgent, ERROR_ACCESS_DENIED, false, KitExit::kServiceNotRegistered},
    UninstallCase{"firewall_that_cannot_be_read", kAgent, 0, true, KitExit::kFirewallNotConfirmed},
    UninstallCase{"both_fail_the_service_is_told", kAgent, ERROR_ACCESS_DENIED, true, KitExit::kServiceNotRegistered}),
    [](const ::testing::TestParamInfo<UninstallCase>& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
