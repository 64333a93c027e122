// The kit program's work against the real library and controller over fake seams: the
// switches, what a re-run keeps, registration, idempotence, the stop before the copy, uninstall,
// a damaged kit, a store the library refuses though its files parse, and the exit codes.
#include "../params/params_fixture.h"
#include "kit/kit_setup.h"
#include "platform/utf8.h"

namespace {

using namespace params_test;

struct Lines : kit::KitLog {
    void Write(const std::wstring& line) override { twice |= line == last, text += (last = line) + L"\n"; }
    std::wstring text, last;
    bool twice = false;  // a line written again right after itself
};

// What the store holds, as "host|port|login|name".
const std::wstring kKitServer = L"kit.example.com|9751|CORP\\kit|", kKit = kKitServer + L"WS-KIT",
                   kOps = L"b2.example.com|9000|CORP\\ops|";

// The exit codes as docs/KIT.md gives them to deployment tools.
const int kBad = 10, kNotWritten = 11, kNotRegistered = 12, kNotRunning = 14, kUnconfirmed = 16;
// In this order: the modes after `uninstall` register the service (see `registers` below).
enum Mode { stop, resume, check, uninstall, install, prepare };
// The agent's store before the run (rerun: the same kit has run before with the same switches).
// damagedKit, damagedKitUser: the kit's own workstation.json, user.json, the other intact; running: nothing stored,
// this folder's agent runs; the stores from otherRuns on hold edited settings: otherRuns with the earlier
// installation's agent running, unnamed with an empty name (the computer's) and this folder's agent registered,
// stopped, supplied with the name a silent local install stores ("localhost", the system's) and no service left (an
// uninstall keeps the store); linked: edited, then ProgramData made a link to where it lies (the files parse, the store
// refuses them).
// clang-format off
enum Store { none, damaged, unwritable, damagedKit, damagedKitUser, rerun, running, otherRuns, unnamed, supplied, edited,
             damagedBesideAName, damagedName, linked };
// One bit each (noFault 0, startPending 1, startTimesOut 2, ...). stopRefused: the agent cannot take the stop
// (1061), and its service is already marked for deletion (by an earlier removal that waits for the stop).
// accessDenied (5): the service cannot be opened; where this folder's agent runs, its removal is refused instead.
// stillStarting: the agent starts from before, so a start is refused as already running (1056); with startEnds
// that start ends at the second query.
// protectionRefused: the installation folder's rights cannot be set (5).
// heldForAMoment, heldForLonger: another program holds the stored files (32) at the first read, at every read;
// heldAtTheSecondRead: only when the library reads them again after the kit found them intact.
// foreignFile: the installation folder holds another program's file beside the kit's.
// removedAMomentAgo: the service is still marked for deletion (1072) at the first registration, for 30 s.
// stopNotDone: a stop is accepted, but the agent runs on (in the stop mode, it stays stop pending).
// startedMeanwhile: the agent is found stopped, then started by another hand before the start request.
enum Fault { noFault, startPending, startTimesOut, registrationRefused = 4, firewallKeepsNoRule = 8, stopRefused = 16,
             accessDenied = 32, stillStarting = 64, stopNotDone = 128, startedMeanwhile = 256, startEnds = 512,
             protectionRefused = 1024, heldForAMoment = 2048, heldForLonger = 4096, foreignFile = 8192,
             removedAMomentAgo = 16384, heldAtTheSecondRead = 32768 };
// clang-format on
struct KitCase {
    const char* name;
    Mode mode;
    Store store;
    std::wstring switches;
    int code;
    std::wstring after;   // what the store holds afterwards ("" no store)
    int fault = noFault;  // Fault values, or-ed
    // A part of the log or the result's message ("|" marks the log's start). When none is given, the log and
    // message tell a failure (" not ") exactly when a fault is planted or the store cannot be written.
    const wchar_t* logged = nullptr;
};

struct KitSetupTest : ParamsOnDisk, ::testing::WithParamInterface<KitCase> {
    KitSetupTest() {
        fs::create_directories(Native(folder));  // as the copy leaves it
        for (auto file : {L"CorvexWorkstation.exe", L"setupclient.EXE", L"Uninstall.exe", L"NetworkParameters.dll"})
            WriteBytes(folder + L"\\" + file, "MZ");
        // Registered for another folder's agent, disabled.
        bench.services.binaryPath = L"C:\\Old\\CorvexWorkstation.exe", bench.services.startType = 4;
        CorvexParameters kitSettings = params_test::Settings(L"kit.example.com", 9751, L"WS-KIT");
        kitSettings.SetUserName(L"CORP\\kit"), kitSettings.Save(bench.PathInRoot(L"kit\\"), bench.PathInRoot(L"kit\\"));
        kitBytes = bench.StoreBytes(bench.PathInRoot(L"kit\\"), bench.PathInRoot(L"kit\\"));
    }
    kit::KitResult Run(Mode mode, const std::wstring& switches) {
        kit::KitSetup setup(folder, bench.PathInRoot(L"kit\\"), log);
        const auto arguments = kit::SplitInstallerArguments(switches);
        if (mode == stop || mode == uninstall) return mode == stop ? setup.StopAgent() : setup.Uninstall();
        if (mode == resume) return setup.ResumeAgent();
        return mode == check ? setup.Check(arguments) : setup.Install(arguments, mode == install);
    }
    const std::wstring folder = bench.PathInRoot(L"Corvex 6"), agent = folder + L"\\CorvexWorkstation.exe";
    Lines log;
    std::string kitBytes;  // the kit's own settings, which no run changes
};

TEST_P(KitSetupTest, SettingsServiceFirewallAndExitCode) {
    const KitCase& c = GetParam();
    // The workstation name that the stores from otherRuns on hold.
    const std::wstring ws = c.store == unnamed ? L"" : c.store == supplied ? L"localhost" : L"WS-7";
    if (c.store >= otherRuns) bench.StoreAgentSettings(L"b2.example.com", 9000, L"CORP\\ops", ws, c.store == supplied);
    if (const std::string data = Native(bench.folders.programData); c.store == linked)
        fs::rename(data, data + "2"), fs::create_symlink(data + "2", data);
    if (c.store == damaged || c.store == damagedBesideAName) WriteBytes(bench.AgentStore() + L"user.json", "{");
    if (c.store == damagedName) WriteBytes(bench.AgentStore() + L"workstation.json", "{");
    if (c.store == unwritable) WriteBytes(bench.folders.programData + L"\\Quentara", "a file");
    if (c.store == damagedKit || c.store == damagedKitUser)
        WriteBytes(bench.PathInRoot(L"kit\\") + (c.store == damagedKit ? L"workstation.json" : L"user.json"), "{");
    if (c.store == none || c.store == rerun || c.store == supplied) bench.services.installedService.clear();
    // This folder's agent registered without quotes (its path has a blank), as older tools did, or quoted with a
    // quoted argument after it.
    if (c.store == running || c.store == unnamed)
        bench.services.binaryPath = c.store == running ? L"\"" + agent + L"\" \"-s\"" : agent;
    if (c.store == running || c.store == otherRuns) bench.services.state = SERVICE_RUNNING;
    if (c.fault & stillStarting) bench.services.state = SERVICE_START_PENDING;
    if (c.fault & startEnds) bench.services.pendingQueries = 1;
    // The agent's state as asked first (1, stopped, twice: a start in progress is waited for), then when the
    // start is refused (4, running).
    if (c.fault & startedMeanwhile) bench.services.state = SERVICE_RUNNING, bench.services.statuses = {{1}, {1}, {4}};
    if (c.store == rerun) Run(c.mode, c.switches);
    const std::string bytes = bench.AgentStoreBytes();
    if (c.fault & startPending) bench.services.stateAfterStart = SERVICE_START_PENDING;
    if (c.fault & stopNotDone) bench.services.stateAfterStop = c.mode == stop ? SERVICE_STOP_PENDING : SERVICE_RUNNING;
    if (c.fault & startTimesOut) bench.services.FailCall("Start", 0, ERROR_SERVICE_REQUEST_TIMEOUT);
    if (c.fault & stopRefused) bench.services.FailCall("Control", 0, 1061), bench.services.FailCall("Delete", 0, 1072);
    if (c.fault & accessDenied) bench.services.FailCall(c.store == running ? "Delete" : "OpenServiceByName", 0, 5);
    if (c.fault & registrationRefused)  // the service marked for deletion (1072): nor can it be read or changed
        for (const char* call : {"CreateOwnProcessService", "QueryBinaryPath", "ChangeRegistration"})
            bench.services.FailCall(call, 0, 1072);
    bench.firewall.failure = (c.fault & firewallKeepsNoRule) != 0;
    if (c.fault & protectionRefused) files_.faults[L"restrict"] = {5, 0};
    if (c.fault & foreignFile) WriteBytes(folder + L"\\NetworkParameters.txt", "");
    if (c.mode == uninstall) bench.firewall.rules.push_back({agent, L"Corvex Workstation"});
    if (c.fault & removedAMomentAgo) bench.services.FailCall("CreateOwnProcessService", 1, 1072);
    if (c.fault & (heldForAMoment | heldForLonger | heldAtTheSecondRead))
        files_.faults[L"read"] = {32, c.fault & heldForAMoment ? 1 : c.fault & heldForLonger ? 0 : 7};
    std::vector<size_t> rulesAtStart;  // the firewall's rules at each start request
    bench.services.onRequest = [&](const std::string& request) {
        if (request == "Start") rulesAtStart.push_back(bench.firewall.rules.size());
    };

    files_.calls.clear();
    const kit::KitResult result = Run(c.mode, c.switches);
    files_.faults.erase(L"read");  // the test's own reads below
    const bool written = !ReadBytes(bench.AgentStore() + L"user.json").empty();
    // A name given (by the kit or a switch) is a typed one; only an empty name, or a kept name the
    // system supplied, is the system's. A secured connection is never asked for, so never stored.
    // The service is repointed at this folder's agent, automatic, exactly when the settings were
    // saved, and the log tells their values (or the check that they are valid) only then, as it
    // tells a stop only when one was done (and marks the result whenever it asked for one: a failed
    // installation then starts the agent again); in a silent install the firewall rule is added (once) and the agent
    // restarted: a running one is stopped first (one that refuses runs on). A second run of the same kit changes no
    // stored byte. The installation folder is protected once the settings are saved. An uninstall that keeps the
    // service keeps the firewall rule.
    const bool registers = c.mode > uninstall && !c.after.empty() && (c.code == 0 || c.code > kNotRegistered);
    // The log's word that a step was done (the check's, a stop's, the save's), and whether it was.
    const wchar_t* done = c.mode == check ? L"valid." : c.mode == stop ? L"Stopped the service." : L"switches' values";
    const bool doneExpected =
        c.mode == stop ? c.store == otherRuns : c.mode > resume && c.mode != uninstall && (c.code == 0 || c.code > 11);
    EXPECT_EQ(std::make_tuple(result.code, result.message.empty(), written ? bench.ReadAgentSettings() : L"",
                              bench.services.binaryPath == L"\"" + agent + L"\"" &&
                                  bench.services.startType == SERVICE_AUTO_START &&
                                  bench.services.displayName == L"Corvex Workstation x64",
                              bench.services.state == SERVICE_RUNNING, bench.firewall.rules.size(),
                              bench.services.Count("Control"), c.store != rerun || bench.AgentStoreBytes() == bytes,
                              written && bench.AgentStoreBytes().find("\"secured\": false") == std::string::npos,
                              (L"|" + log.text + result.message).find(c.logged ? c.logged : L" not ") != log.text.npos,
                              bench.StoreBytes(bench.PathInRoot(L"kit\\"), bench.PathInRoot(L"kit\\")) == kitBytes,
                              rulesAtStart == std::vector<size_t>(rulesAtStart.size(), bench.firewall.rules.size()),
                              log.text.find(done) != std::wstring::npos, bench.SystemSupplied(bench.AgentStore()),
                              result.stopRequested,
                              std::count(files_.calls.begin(), files_.calls.end(), L"restrict " + folder)),
              std::make_tuple(c.code, c.code == 0, c.after, registers,
                              (c.mode == install && registers && c.code != kNotRunning) || (c.fault & stopRefused) ||
                                  (c.fault & stopNotDone && c.mode != stop) || (c.mode == resume && c.code == 0) ||
                                  (c.mode == uninstall && c.code == kNotRegistered && c.store == running),
                              (c.mode == install && registers && !(c.fault & firewallKeepsNoRule)) ||
                                      (c.mode == uninstall && c.code == kNotRegistered)
                                  ? 1u
                                  : 0u,
                              c.mode != resume && c.store >= rerun && c.store <= otherRuns, true, false,
                              c.logged || c.fault != noFault || c.code == kNotWritten,
                              c.store != damagedKit && c.store != damagedKitUser, true, doneExpected,
                              !c.after.empty() && (c.after.back() == L'|' || c.store == supplied),
                              c.mode == stop && (c.store == otherRuns || c.store == running),
                              (c.mode > uninstall || c.mode == stop) && c.code != kBad && c.code != kNotWritten &&
                                  c.fault != foreignFile));
    // The library's texts keep their letters (the bench's ProgramData lies below a profile whose name is not ASCII),
    // and each step is logged once.
    EXPECT_TRUE(platform::IsWellFormedWide(log.text + result.message) && !log.twice) << log.text;
}

// The waits, on the program's clock: a stored file that another program holds is read ten times more, 0.1 s
// apart (each of the two), and a service still marked for deletion is waited for 30 s, 0.5 s apart.
TEST_F(KitSetupTest, HeldFilesAndAServiceStillBeingRemovedAreWaitedFor) {
    files_.faults[L"read"] = {32, 0};
    const int held = Run(install, L"/S").code;
    const std::vector<DWORD> pausesWhileHeld = std::exchange(bench.clock.sleeps, {});
    files_.faults.clear(), bench.services.installedService.clear();
    bench.services.FailCall("CreateOwnProcessService", 0, 1072);
    const int removing = Run(install, L"/S").code;
    EXPECT_EQ(std::tuple(held, pausesWhileHeld, removing, bench.clock.sleeps),
              std::tuple(kNotWritten, std::vector<DWORD>(20, 100), kNotRegistered, std::vector<DWORD>(60, 500)));
}

// A stored file above the library's size limit is not taken for a damaged one: the library cannot read it either, so
// the other file's values would go with it. The run ends with 11 and replaces nothing.
TEST_F(KitSetupTest, OversizedStoredFileReplacesNothing) {
    bench.StoreAgentSettings(L"b2.example.com", 9000, L"CORP\\ops", L"WS-7", false);
    WriteBytes(bench.AgentStore() + L"workstation.json", std::string(70000, ' '));
    const std::string bytes = bench.AgentStoreBytes();
    const kit::KitResult result = Run(install, L"/S");
    EXPECT_EQ(std::tuple(result.code, result.message.find(L"larger than 64 KiB") != result.message.npos,
                         bench.AgentStoreBytes() == bytes),
              std::tuple(kNotWritten, true, true));
}

// A folder that users other than the administrators may change: refused before the stop when it holds another
// program's file or a kit's file they may change (the agent runs on), refused by the installation when another
// program's file came meanwhile; with nothing but the kit's files (open through rights the folder passes on), it is
// protected, as one that a first installation makes before the copy is. A link in its place is refused both times.
TEST_F(KitSetupTest, FolderThatUsersMayChange) {
    const auto check = [&] { return kit::KitSetup(folder, L"", log).CheckFolder(); };
    const auto open = [&](const std::wstring& path, fs::perm_options how, fs::perms who = fs::perms::others_write) {
        fs::permissions(Native(path), who, how);
    };
    fs::remove_all(Native(folder)), kit::KitSetup(folder, L"", log).StopAgent();  // a first installation's
    const bool madeProtected = fs::is_directory(Native(folder)) && files_.calls.back() == L"restrict " + folder;
    bench.services.state = SERVICE_RUNNING, WriteBytes(agent, "MZ");
    open(folder, fs::perm_options::add), WriteBytes(folder + L"\\NetworkParameters.txt", "");
    const kit::KitResult shared = check();
    const int installed = Run(install, L"/S").code;
    const std::wstring registered = bench.services.binaryPath;
    const int stops = bench.services.Count("Control");
    fs::remove(Native(folder + L"\\NetworkParameters.txt")), open(agent, fs::perm_options::add);
    const int openFile = check().code;
    open(agent, fs::perm_options::remove), open(agent, fs::perm_options::add, fs::perms::group_write);  // inherited
    const int kitsOnly = check().code, protectedOnInstall = Run(install, L"/S").code;
    const auto permissions = fs::status(Native(folder)).permissions() & fs::perms::others_write;
    // A link in the folder's place (its maker may point it elsewhere), to a folder with nothing but the kit's files.
    fs::rename(Native(folder), Native(folder) + "2"),
        fs::create_directory_symlink(Native(folder) + "2", Native(folder));
    const kit::KitResult linked = check();
    const int linkedOnInstall = Run(install, L"/S").code;
    const std::wstring why = folder + L", and it holds other programs' files (NetworkParameters.txt): the agent";
    EXPECT_EQ(std::tuple(madeProtected, shared.code, shared.message.find(why) != why.npos, installed, registered, stops,
                         openFile, kitsOnly, protectedOnInstall, permissions, linked.code,
                         linked.message.find(L"Corvex 6 is a link (a junction") != why.npos, linkedOnInstall),
              std::tuple(true, kBad, true, kNotRegistered, L"C:\\Old\\CorvexWorkstation.exe", 0, kBad, 0, 0,
                         fs::perms::none, kBad, true, kNotRegistered));
}

// A silent run asked for in a form the installer does not take (quoted, or with a no-break space or a text direction
// mark that a copy from a document leaves): its refusal must show no box.
TEST(InstallerSwitches, SilentAskedForInAnotherForm) {
    std::vector<bool> silent;
    for (const wchar_t* line : {L"/s", L"/PORT=1 -S", L"/quiet", L"/S\n", L"\"/S \"", L"/PORT=1\u00A0/S\u00A0/NAME=x",
                                L"\u200F/S", L"/SERVER=s /NAME=S", L"/SILENT=1", L"/NAME=S\u00A0x"})
        silent.push_back(kit::MeansSilent(kit::SplitInstallerArguments(line)));
    EXPECT_EQ(silent, std::vector<bool>({true, true, true, true, true, true, true, false, false, false}));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Kit, KitSetupTest, ::testing::ValuesIn(std::vector<KitCase>{
    {"fresh_machine_gets_the_kits_settings", install, none, L"/S ", 0, kKit},  // a blank after the last switch
    {"folder_left_unprotected", install, none, L"/S", 0, kKit, protectionRefused, L"protected (system error 5)."},
    {"folder_shared_with_another_program", prepare, none, L"", 0, kKit, foreignFile, L"other programs' files"},
    // The kit program's switches in any letter case.
    {"switches_replace_the_kits_values", install, none,
     L"/S /server=b2.example.com /port=000009000 \"/Login=CORP\\ops\" /NAME=WS-7", 0, kOps + L"WS-7"},
    // The last of a repeated switch counts (a tab parts switches as a blank does). A /D= the installer did not
    // take as its folder (quoted) is refused.
    {"last_repeated_switch_counts", install, none, L"/NAME=WS-1\t/NAME=", 0, kKitServer},
    {"folder_switch_left", check, none, L"/NAME=WS-9 \"/D=C:\\X Y\"", kBad, L"", noFault, L"the last switch and"},
    {"rerun_keeps_the_stored_settings", install, edited, L"/S", 0, kOps + L"WS-7", noFault,
     L"values: server b2.example.com, port 9000, login CORP\\ops, workstation name \"WS-7\"."},
    // A stored file that cannot be read is not taken for a missing one: read again, or nothing replaced.
    {"stored_file_held_for_a_moment", install, edited, L"/S", 0, kOps + L"WS-7", heldForAMoment, L"|Kept the stored"},
    {"stored_file_held_for_longer", install, edited, L"/S", kNotWritten, kOps + L"WS-7", heldForLonger,
     L"Settings\\user.json\" cannot be read: another program is using the file."},
    {"stored_file_held_at_the_second_read", install, edited, L"/S", kNotWritten, kOps + L"WS-7", heldAtTheSecondRead,
     L"stored settings were left as they were: The settings file"},
    {"given_switch_only", install, edited, L"/SERVER=[2001:db8::b3]", 0, L"[2001:db8::b3]|9000|CORP\\ops|WS-7"},
    {"empty_name_means_the_computer_name", install, edited, L"/NAME=", 0, kOps},
    {"rerun_keeps_a_stored_empty_name", install, unnamed, L"/S", 0, kOps},
    {"rerun_keeps_a_supplied_name", install, supplied, L"/S", 0, kOps + L"localhost"},
    {"reset_to_kit_settings", install, edited, L"/resetsettings /PORT=9001", 0,
     L"kit.example.com|9001|CORP\\kit|WS-KIT", noFault, L"the kit's settings replace the stored ones.\nWrote"},
    {"damaged_store_is_replaced_by_the_kits", install, damaged, L"/S", 0, kKit, noFault, L"Wrote the kit's settings"},
    {"damaged_name_takes_the_kits", install, damagedName, L"/S", 0, kOps + L"WS-KIT", noFault,
     L"The stored workstation name is missing or damaged; the kit's replace them.\nKept the stored settings"},
    {"damaged_file_takes_the_kits_values_the_intact_one_stays", install, damagedBesideAName, L"/S", 0,
     kKitServer + L"WS-7", noFault, L"connection settings are missing or damaged; the kit's replace them.\nKept the"},
    {"second_run_of_the_same_kit", install, rerun, L"/S /NAME=WS-7", 0, kKitServer + L"WS-7"},
    // Its start then refused as already running (and logged so): the agent runs, but as it started.
    {"rerun_over_an_agent_that_will_not_stop", install, rerun, L"/S", kNotRunning, kKit, stopRefused,
     L"stopped (system error 1061).\nThe service could not be started (system error 1056)"},
    {"interactive_install_registers_but_starts_nothing", prepare, none, L"", 0, kKit, noFault,
     L"\\Corvex 6\\CorvexWorkstation.exe."},
    {"interactive_reinstall_repoints_the_service", prepare, edited, L"", 0, kOps + L"WS-7"},  // automatic again
    // The uninstaller where the service was removed before: nothing to remove is no failure, but a
    // firewall that does not confirm the rule's removal is.
    {"uninstall_without_the_service", uninstall, none, L"", kUnconfirmed, L"", firewallKeepsNoRule,
     L"No service to remove.\nThe removal of the firewall exception could not be confirmed.\nThe removal of the"},
    // A service registered for another installation's agent (C:\Old) stays.
    {"uninstall_keeps_another_agents_service", uninstall, edited, L"", 0, kOps + L"WS-7", noFault, L"left as it"},
    {"uninstall_denied_its_service", uninstall, edited, L"", kNotRegistered, kOps + L"WS-7", accessDenied, L"error 5"},
    // The stop before the files are copied asks nothing of an agent that does not run, or of no service, and
    // logs a refusal; an earlier installation's running agent is stopped too.
    {"stop_of_a_stopped_agent", stop, edited, L"", 0, kOps + L"WS-7"}, {"stop_of_no_service", stop, none, L"", 0, L""},
    {"stop_of_an_earlier_installations_agent", stop, otherRuns, L"", 0, kOps + L"WS-7", noFault, L"Stopped the"},
    {"stop_of_a_starting_agent", stop, otherRuns, L"", 0, kOps + L"WS-7", stillStarting | startEnds, L"Stopped the"},
    {"stop_beside_another_programs_file", stop, none, L"", 0, L"", foreignFile, L"|"},  // its rights left alone
    {"stop_refused", stop, running, L"", 0, L"", stopRefused, L"could not be stopped (system error 1061)"},
    {"stop_not_done", stop, running, L"", 0, L"", stopNotDone, L"The service did not stop."},
    // After a failed installation: the service running again where the stop was refused, or not running (that it
    // is automatic again, and the plain resume, are the end-to-end suite's).
    {"resume_over_a_refused_stop", resume, running, L"", 0, L"", noFault, L"error 1056).\nThe service runs again"},
    {"resume_refused", resume, edited, L"", kNotRunning, kOps + L"WS-7", startTimesOut},
    {"uninstall_of_a_stopped_agent", uninstall, unnamed, L"", 0, kOps, noFault,
     L"|Removed the service.\nNo firewall exception for "},
    // An agent that will not stop loses its service all the same (already marked for deletion).
    {"uninstall_stop_refused", uninstall, running, L"", 0, L"", stopRefused, L"stopped (system error 1061).\nRemoved"},
    // Nothing told as removed; the agent runs again, automatic, and keeps its firewall rule for another run.
    {"removal_refused", uninstall, running, L"", kNotRegistered, L"", accessDenied,
     L"|The agent's service could not be removed (system error 5).\nThe service runs again and starts automatically."},
    // A stop accepted but never done: the restart still asks for the start, the uninstall for the removal.
    {"restart_over_a_stop_not_done", install, otherRuns, L"/S", kNotRunning, kOps + L"WS-7", stopNotDone,
     L"did not stop.\nThe service could not be started (system error 1056).\nThe agent's service could not be"},
    {"uninstall_stop_not_done", uninstall, running, L"", 0, L"", stopNotDone, L"did not stop.\nRemoved the service."},
    {"uninstall_of_a_starting_agent", uninstall, running, L"", 0, L"", stillStarting | startEnds, L"|Removed the"},
    {"uninstall_unreadable_registration", uninstall, edited, L"", kNotRegistered, kOps + L"WS-7",
     registrationRefused | firewallKeepsNoRule, L"|The agent's service could not be removed (system error 1072)."},
    {"installers_own", check, none, L"/NCRC /S", 0, L""}, {"lower_case_ncrc", check, none, L"/ncrc", kBad, L""},
    {"no_login", install, none, L"/LOGIN=", kBad, L"", noFault, L"/LOGIN=: The backup administrator login"},
    {"empty_server", check, none, L"/SERVER=", kBad, L"", noFault, L"/SERVER=: The server host name"},
    {"quoted_value", check, none, L"/LOGIN=\"WS-0142\\Backup Operator\"", 0, L"", noFault, L"settings are valid."},
    {"port_9x", check, none, L"/PORT=9x", kBad, L"", noFault, L"/PORT=: The server port must be a whole number"},
    {"port_70000", check, none, L"/PORT=70000", kBad, L"", noFault, L"/PORT=: The server port must be a number"},
    {"port_9_5", check, none, L"\"/PORT=9 5\"", kBad, L""}, {"port_0", check, none, L"/PORT=0", kBad, L""},
    {"valued_reset", check, none, L"/RESETSETTINGS=1", kBad, L"", noFault,  // every switch named
     L"\"/RESETSETTINGS=1\". The installer accepts /S, /SERVER=, /PORT=, /LOGIN=, /NAME=, /RESETSETTINGS and /D= ("},
    // The installer takes only an upper-case /D= for its folder: a lower-case one reaches the kit program.
    {"lower_case_s", check, none, L"/s", kBad, L""},
    {"lower_case_d", check, none, L"/d=C:\\X", kBad, L"", noFault, L"/D= must be written in capitals, be the last"},
    // What a script's here-string or a block of YAML leaves at the end of the switches.
    {"line_break_after_the_last_switch", check, none, L"/NAME=WS-1 /PORT=9751\r\n", kBad, L"", noFault,
     L"\"/PORT=9751<U+000D><U+000A>\" holds a line break"},
    {"mark_copied_with_a_switch", check, none, L"/NAME=WS-1\u200E", kBad, L"", noFault,
     L"\"/NAME=WS-1<U+200E>\" holds"},
    {"damaged_kit", check, damagedKit, L"", kNotWritten, L"", noFault,
     L"The kit's own settings cannot be used: its workstation.json is damaged: "},
    {"damaged_kit_user_file", check, damagedKitUser, L"", kNotWritten, L"", noFault, L"its user.json is damaged: "},
    {"name_that_only_the_save_refuses", check, none, L"/NAME=\"WS 7\"", kBad, L""},  // the check saves a scratch copy
    // Ten digits are too many, even for a valid port: a longer limit lets a number wrap to one.
    {"refused_switch_changes_nothing_at_install", install, none, L"/PORT=0000009750", kBad, L"", noFault,
     L"1 to 65535, written with at most nine digits and no blanks."},
    {"unknown_switch_resets_nothing", install, edited, L"/RESETSETTINGS /PORTS=1", kBad, kOps + L"WS-7", noFault,
     L"|Unknown switch \"/PORTS=1\""},
    {"store_that_cannot_be_written", install, unwritable, L"/S", kNotWritten, L"", noFault,
     L"The agent's settings could not be written: The settings folder"},
    {"store_behind_a_link", install, linked, L"/S", kNotWritten, kOps + L"WS-7", noFault,
     L"left as they were: The settings folder \""},
    // A refused registration: its code in the log, right after the settings' line (nothing told as registered).
    {"registration_refused", install, none, L"/S", kNotRegistered, kKit, registrationRefused,
     L"still being removed (system error 1072): close the Services console"},
    {"service_removed_a_moment_ago", install, none, L"/S", 0, kKit, removedAMomentAgo, L"|Wrote the kit's"},
    {"repointing_refused", install, edited, L"/S", kNotRegistered, kOps + L"WS-7", registrationRefused, L"\".\nThe"},
    {"agent_that_never_answers_the_start", install, none, L"/S", kNotRunning, kKit, startTimesOut,
     L"in place.\nThe service could not be started (system error 1053).\nThe agent's service does not run"},
    {"agent_still_starting", install, edited, L"/S", kNotRunning, kOps + L"WS-7", stillStarting, L"error 1056)"},
    {"agent_starting_from_before_is_restarted", install, otherRuns, L"/S", 0, kOps + L"WS-7", stillStarting | startEnds,
     L"|Kept the"},
    {"agent_started_meanwhile", install, edited, L"/S", 0, kOps + L"WS-7", startedMeanwhile, L"error 1056)"},
    // Both fail: the agent that does not run is what the code tells. Then this folder's agent as an older
    // tool registered it, the registration renewed, and only the rule unconfirmed: the log tells the agent runs.
    {"neither_rule_nor_agent", install, none, L"/S", kNotRunning, kKit, startPending | firewallKeepsNoRule,
     L"could not be confirmed.\nThe service did not reach the running state"},
    {"older_registration", install, running, L"/S", kUnconfirmed, kKit, firewallKeepsNoRule, L"runs.\nThe firewall"}}),
    [](const ::testing::TestParamInfo<KitCase>& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
