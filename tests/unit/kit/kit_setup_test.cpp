// The kit program's work, against the real library and controller over fake seams: the
// switches' values, what a re-run keeps, and the exit code of each failure.
#include <gtest/gtest.h>

#include "app_bench.h"
#include "kit/kit_exit_codes.h"
#include "kit/kit_setup.h"
#include "params/corvex_parameters.h"

namespace {

using testing_support::AppBench;

class Lines : public kit::KitLog {
public:
    std::vector<std::wstring> lines;
    void Write(const std::wstring& line) override { lines.push_back(line); }
};

const wchar_t kInstallFolder[] = L"C:\\Corvex";
const wchar_t kAgent[] = L"\"C:\\Corvex\\CorvexWorkstation.exe\"";
const AppBench::Stored kKit{L"kit.example.com", 9750, L"CORP\\kit", L""};
const AppBench::Stored kEdited{L"b2.example.com", 9000, L"CORP\\ops", L"WS-7"};

enum class Store { none, edited, damaged, unwritable };
enum class Mode { check, install, prepare };

struct KitCase {
    const char* name;
    Mode mode;
    Store store;
    std::wstring switches;
    int code;
    // What the store holds afterwards (host empty: no store).
    AppBench::Stored after;
    // The service: registered beforehand, where a start leaves it, the error of a refused
    // start or registration, and whether it runs at the end.
    bool registered = true;
    DWORD stateAfterStart = SERVICE_RUNNING;
    DWORD startRefusedWith = 0;
    DWORD registrationRefusedWith = 0;
    bool firewallIgnoresAdds = false;
    bool runsAfter = true;
};

void PrintTo(const KitCase& c, std::ostream* os) { *os << c.name; }

class KitSetupTest : public ::testing::TestWithParam<KitCase> {
protected:
    KitSetupTest() {
        bench.services.binaryPath = L"C:\\Old\\CorvexWorkstation.exe";
        bench.services.startType = 4;  // disabled
        CorvexParameters kitSettings(L"client");
        kitSettings.SetCoordinator(kKit.host, kKit.port, CorvexParameters::Defaults::isSecured);
        kitSettings.SetUserName(kKit.login);
        kitSettings.SetClientName(L"", true);
        kitSettings.Save(KitFolder(), KitFolder());
    }
    std::wstring KitFolder() const { return bench.root.Wide() + L"\\kit\\"; }
    kit::KitResult Run(Mode mode, const std::wstring& switches) {
        kit::KitSetup setup(kInstallFolder, KitFolder(), log);
        const auto arguments = kit::SplitInstallerArguments(switches);
        if (mode == Mode::check) return setup.Check(arguments);
        return setup.Install(arguments, mode == Mode::install);
    }

    AppBench bench;
    Lines log;
};

TEST_P(KitSetupTest, SettingsServiceAndExitCode) {
    const KitCase& c = GetParam();
    if (c.store == Store::edited) bench.StoreAgentSettings(kEdited.host, kEdited.port, kEdited.login, kEdited.workstation);
    if (c.store == Store::damaged) params_test::WriteBytes(bench.AgentStore() + L"user.json", "{\"formatVersion\": 1,");
    if (c.store == Store::unwritable) params_test::WriteBytes(bench.folders.programData + L"\\Quentara", "a file");
    bench.services.installed = c.registered;
    bench.services.stateAfterStart = c.stateAfterStart;
    bench.services.startRefusedWith = c.startRefusedWith;
    bench.services.registrationRefusedWith = c.registrationRefusedWith;
    bench.firewall.addIsIgnored = c.firewallIgnoresAdds;

    const kit::KitResult result = Run(c.mode, c.switches);
    EXPECT_EQ(result.code, c.code) << std::string(result.message.begin(), result.message.end());
    EXPECT_EQ(result.message.empty(), c.code == 0);

    if (c.after.host.empty()) {
        EXPECT_FALSE(params_test::Exists(bench.AgentStore() + L"user.json")) << "the store was written";
    } else {
        const AppBench::Stored stored = bench.ReadAgentSettings();
        EXPECT_EQ(stored.host, c.after.host);
        EXPECT_EQ(stored.port, c.after.port);
        EXPECT_EQ(stored.login, c.after.login);
        EXPECT_EQ(stored.workstation, c.after.workstation);
    }
    // The service is registered for the installed agent exactly when the settings were saved.
    const bool registers = c.mode != Mode::check && !c.after.host.empty() && c.code != KitExit::kServiceNotRegistered;
    EXPECT_EQ(bench.services.binaryPath == kAgent, registers);
    if (registers) {
        EXPECT_EQ(bench.services.startType, static_cast<DWORD>(SERVICE_AUTO_START));
    }
    EXPECT_EQ(bench.services.state == SERVICE_RUNNING, c.runsAfter && c.mode == Mode::install && registers);
    const bool firewallAsked = c.mode == Mode::install && registers;
    EXPECT_EQ(bench.firewall.adds, firewallAsked ? 1 : 0);
}

const wchar_t kBadLogin[] = L"/LOGIN=ab\x0001" L"cd";

INSTANTIATE_TEST_SUITE_P(Kit, KitSetupTest, ::testing::Values(
    KitCase{"fresh_machine_gets_the_kits_settings", Mode::install, Store::none, L"/S", 0, kKit, false},
    KitCase{"switches_replace_the_kits_values", Mode::install, Store::none,
            L"/S /server=b2.example.com /PORT=09000 \"/LOGIN=CORP\\ops\" /NAME=WS-7", 0, kEdited, false},
    KitCase{"last_of_a_repeated_switch_counts", Mode::install, Store::none,
            L"/NAME=WS-1 /NAME=WS-7 /D=C:\\X Y /NAME=WS-9", 0, {kKit.host, kKit.port, kKit.login, L"WS-7"}},
    KitCase{"rerun_keeps_the_stored_settings", Mode::install, Store::edited, L"/S", 0, kEdited},
    KitCase{"rerun_applies_only_the_given_switch", Mode::install, Store::edited, L"/SERVER=b3.example.com", 0,
            {L"b3.example.com", kEdited.port, kEdited.login, kEdited.workstation}},
    KitCase{"empty_name_switch_means_the_computer_name", Mode::install, Store::edited, L"/NAME=", 0,
            {kEdited.host, kEdited.port, kEdited.login, L""}},
    KitCase{"reset_switch_takes_the_kits_settings", Mode::install, Store::edited, L"/resetsettings /PORT=9001", 0,
            {kKit.host, 9001, kKit.login, kKit.workstation}},
    KitCase{"damaged_store_is_replaced_by_the_kits", Mode::install, Store::damaged, L"/S", 0, kKit},
    KitCase{"interactive_install_registers_but_starts_nothing", Mode::prepare, Store::none, L"", 0, kKit},
    KitCase{"unknown_switch", Mode::check, Store::none, L"/S /SEVER=typo", KitExit::kBadSwitch, {}},
    KitCase{"silent_switch_in_lower_case", Mode::check, Store::none, L"/s", KitExit::kBadSwitch, {}},
    KitCase{"port_out_of_range", Mode::check, Store::none, L"/PORT=70000", KitExit::kBadSwitch, {}},
    KitCase{"port_not_a_number", Mode::check, Store::none, L"/PORT=97x", KitExit::kBadSwitch, {}},
    KitCase{"host_with_a_port", Mode::check, Store::none, L"/SERVER=backup:9750", KitExit::kBadSwitch, {}},
    KitCase{"host_with_an_empty_label", Mode::check, Store::none, L"/SERVER=a..b", KitExit::kBadSwitch, {}},
    KitCase{"host_with_a_blank", Mode::check, Store::none, L"\"/SERVER=two words\"", KitExit::kBadSwitch, {}},
    KitCase{"login_without_a_user", Mode::check, Store::none, L"/LOGIN=CORP\\", KitExit::kBadSwitch, {}},
    KitCase{"login_with_a_control_character", Mode::check, Store::none, kBadLogin, KitExit::kBadSwitch, {}},
    KitCase{"name_with_a_domain", Mode::check, Store::none, L"/NAME=ws.example.com", KitExit::kBadSwitch, {}},
    KitCase{"refused_switch_changes_nothing_at_install_either", Mode::install, Store::none, L"/PORT=0",
            KitExit::kBadSwitch, {}},
    KitCase{"valid_switches_pass_the_check", Mode::check, Store::none, L"/SERVER=[::1] /LOGIN=user@corp.example",
            0, {}},
    KitCase{"store_that_cannot_be_written", Mode::install, Store::unwritable, L"/S", KitExit::kSettingsNotWritten,
            {}},
    KitCase{"registration_refused", Mode::install, Store::none, L"/S", KitExit::kServiceNotRegistered, kKit, false,
            SERVICE_RUNNING, 0, ERROR_ACCESS_DENIED},
    KitCase{"agent_that_stays_start_pending", Mode::install, Store::none, L"/S", KitExit::kServiceNotRunning, kKit,
            true, SERVICE_START_PENDING, 0, 0, false, false},
    KitCase{"agent_that_never_answers_the_start", Mode::install, Store::none, L"/S", KitExit::kServiceNotRunning,
            kKit, true, SERVICE_RUNNING, ERROR_SERVICE_REQUEST_TIMEOUT, 0, false, false},
    KitCase{"firewall_keeps_no_rule", Mode::install, Store::none, L"/S", KitExit::kFirewallNotConfirmed, kKit, true,
            SERVICE_RUNNING, 0, 0, true}),
    [](const ::testing::TestParamInfo<KitCase>& info) { return std::string(info.param.name); });

TEST_F(KitSetupTest, SecondRunOfTheSameKitChangesNothingAndRestartsTheAgent) {
    ASSERT_EQ(Run(Mode::install, L"/S /NAME=WS-7").code, 0);
    const std::string first = bench.AgentStoreBytes();
    bench.services.log.clear();
    ASSERT_EQ(Run(Mode::install, L"/S /NAME=WS-7").code, 0);
    EXPECT_EQ(bench.AgentStoreBytes(), first);
    EXPECT_EQ(bench.firewall.rules.size(), 1u);
    EXPECT_EQ(bench.services.log, (std::vector<std::string>{"create", "register", "query", "config:3", "stop",
                                                            "query", "query", "config:2", "start", "query",
                                                            "query"}));
}

struct UninstallCase {
    const char* name;
    std::wstring registeredAgent;  // empty: no service
    DWORD refusedWith;
    bool firewallUnreadable;
    int code;
    bool serviceRemoved;
};

void PrintTo(const UninstallCase& c, std::ostream* os) { *os << c.name; }

class KitUninstallTest : public ::testing::TestWithParam<UninstallCase> {};

TEST_P(KitUninstallTest, RemovesOnlyThisFoldersServiceAndTheFirewallException) {
    const UninstallCase& c = GetParam();
    AppBench bench;
    bench.services.installed = !c.registeredAgent.empty();
    bench.services.binaryPath = c.registeredAgent;
    bench.services.state = c.registeredAgent.empty() ? SERVICE_STOPPED : SERVICE_RUNNING;
    bench.services.registrationRefusedWith = c.refusedWith;
    bench.firewall.lookupFails = c.firewallUnreadable;
    bench.firewall.rules.push_back({L"c:\\corvex\\corvexworkstation.exe", L"Corvex Workstation x64", true, true});
    bench.firewall.rules.push_back({L"C:\\Other\\CorvexWorkstation.exe", L"Corvex Workstation x64", true, true});
    Lines log;
    EXPECT_EQ(kit::KitSetup(kInstallFolder, bench.root.Wide(), log).Uninstall().code, c.code);
    EXPECT_EQ(bench.services.deleted, c.serviceRemoved);
    // This folder's agent is stopped before its service goes; another's keeps running.
    EXPECT_EQ(bench.services.state == SERVICE_RUNNING, c.registeredAgent.find(L"Other") != std::wstring::npos);
    EXPECT_EQ(bench.firewall.rules.size(), c.firewallUnreadable ? 2u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Kit, KitUninstallTest, ::testing::Values(
    UninstallCase{"this_folders_service", kAgent, 0, false, 0, true},
    UninstallCase{"unquoted_registration_in_other_letter_case", L"c:\\CORVEX\\CorvexWorkstation.exe", 0, false, 0,
                  true},
    UninstallCase{"another_folders_service_is_left", L"\"C:\\Other\\CorvexWorkstation.exe\"", 0, false, 0, false},
    UninstallCase{"no_service", L"", 0, false, 0, false},
    UninstallCase{"service_that_cannot_be_removed", kAgent, ERROR_ACCESS_DENIED, false,
                  KitExit::kServiceNotRegistered, false},
    UninstallCase{"firewall_that_cannot_be_read", kAgent, 0, true, KitExit::kFirewallNotConfirmed, true}),
    [](const ::testing::TestParamInfo<UninstallCase>& info) { return std::string(info.param.name); });

}  // namespace
