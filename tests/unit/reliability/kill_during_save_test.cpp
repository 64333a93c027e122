// Kills a real process at every step of a save of the agent's store (before, half-way
// through and after each temporary file, before and after each replace) and checks what
// is on the disk afterwards: every settings file is byte for byte either the old one or the
// new one, never torn, never missing, and it loads. More than a thousand runs.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <stdexcept>
#include <string>

#include "../params/temp_folder.h"
#include "killing_file_system.h"
#include "params/corvex_parameters.h"
#include "platform/fake/fake_known_folders.h"
#include "platform/platform.h"
#include "platform/portable/portable_file_system.h"

namespace {

using params_test::Exists;
using params_test::ReadBytes;

constexpr int kRuns = 1200;
// Runs cycle through this many sets of values (neighbours always differ).
constexpr int kValueSets = 40;

struct Values {
    std::wstring host;
    unsigned short port;
    std::wstring name;
};

Values ValuesOfRun(int run) {
    // Lengths vary so that a torn file cannot pass for a whole one by chance.
    return {L"server-" + std::to_wstring(run) + std::wstring(run % 7, L'x') + L".example.com",
            static_cast<unsigned short>(1000 + run), L"WS-" + std::to_wstring(run)};
}

class KillDuringSave : public ::testing::Test {
protected:
    KillDuringSave() { InstallFiles(disk_); }
    ~KillDuringSave() override { platform::Install(previous_); }

    std::wstring Root(const wchar_t* which) const { return temp_.Wide() + L"\\" + which; }
    std::wstring Store(const wchar_t* which) const {
        return Root(which) + L"\\ProgramData\\Quentara\\Corvex Workstation\\Settings\\";
    }

    void InstallFiles(platform::FileSystem& files, const wchar_t* root = L"store") {
        folders_.programData = Root(root) + L"\\ProgramData";
        folders_.userAppData = Root(root) + L"\\AppData";
        platform::Seams seams;
        seams.files = &files;
        seams.folders = &folders_;
        platform::Install(seams);
    }

    static void SaveValues(const Values& values) {
        CorvexParameters parameters(L"client");
        parameters.SetCoordinator(values.host, values.port, false);
        parameters.SetClientName(values.name, false);
        parameters.Save(true);
    }

    // The bytes of both files after a clean save of `values` (in a reference store), and the
    // number of steps that save passed through.
    std::pair<std::string, std::string> Reference(const Values& values, int* steps = nullptr) {
        reliability::KillingFileSystem counting(disk_, -1);
        InstallFiles(counting, L"reference");
        SaveValues(values);
        if (steps != nullptr) *steps = counting.steps();
        InstallFiles(disk_);
        return {ReadBytes(Store(L"reference") + L"user.json"), ReadBytes(Store(L"reference") + L"workstation.json")};
    }

    // Saves `values` in a child process that dies at `killAt`; returns how the child ended.
    int SaveInChildKilledAt(const Values& values, int killAt) {
        const pid_t child = ::fork();
        if (child == 0) {
            reliability::KillingFileSystem killing(disk_, killAt);
            InstallFiles(killing);
            try {
                SaveValues(values);
            } catch (...) {
                ::_exit(3);
            }
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return status;
    }

    // The file is there and is exactly one of the two versions; "" when fine.
    static std::string Check(const std::wstring& path, const std::string& before, const std::string& after) {
        if (!Exists(path)) return "missing";
        const std::string now = ReadBytes(path);
        if (now == before || now == after) return std::string();
        return "torn (" + std::to_string(now.size()) + " bytes)";
    }

    platform::Seams previous_ = platform::Current();
    params_test::TempFolder temp_;
    platform::PortableFileSystem disk_;
    platform::FakeKnownFolders folders_;
};

TEST_F(KillDuringSave, EveryFileIsTheOldOrTheNewOneAfterAKillAtAnyStep) {
    SaveValues(ValuesOfRun(kValueSets));
    std::string user = ReadBytes(Store(L"store") + L"user.json");
    std::string workstation = ReadBytes(Store(L"store") + L"workstation.json");
    int steps = 0;
    Reference(ValuesOfRun(0), &steps);
    ASSERT_GE(steps, 10) << "the save should pass through every write and replace";

    std::map<int, std::pair<std::string, std::string>> references;
    int killed = 0, completed = 0;
    for (int run = 1; run <= kRuns; ++run) {
        const Values values = ValuesOfRun(run % kValueSets);
        auto& expected = references[run % kValueSets];
        if (expected.first.empty()) expected = Reference(values);
        const int killAt = run % (steps + 1);  // == steps: the save runs to its end
        const int status = SaveInChildKilledAt(values, killAt);
        if (killAt < steps) {
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "run " << run;
            ++killed;
        } else {
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "run " << run;
            ++completed;
        }
        const std::string userProblem = Check(Store(L"store") + L"user.json", user, expected.first);
        const std::string workstationProblem =
            Check(Store(L"store") + L"workstation.json", workstation, expected.second);
        ASSERT_EQ(userProblem, "") << "user.json after a kill at step " << killAt << " of run " << run;
        ASSERT_EQ(workstationProblem, "") << "workstation.json after a kill at step " << killAt << " of run " << run;
        if (killAt == steps) {
            EXPECT_EQ(ReadBytes(Store(L"store") + L"user.json"), expected.first);
            EXPECT_EQ(ReadBytes(Store(L"store") + L"workstation.json"), expected.second);
        }
        // Whatever is there loads.
        CorvexParameters loaded(L"client");
        ASSERT_NO_THROW(loaded.Load()) << "run " << run;
        user = ReadBytes(Store(L"store") + L"user.json");
        workstation = ReadBytes(Store(L"store") + L"workstation.json");
    }
    EXPECT_GE(killed + completed, 1000);
    RecordProperty("killed_runs", killed);
    RecordProperty("completed_runs", completed);
    std::printf("kill during save: %d runs killed at one of %d steps, %d ran to the end; no torn or missing file\n",
                killed, steps, completed);
}

TEST_F(KillDuringSave, AFirstSaveKilledAtAnyStepLeavesNoFileOrAWholeOne) {
    int steps = 0;
    const Values values = ValuesOfRun(7);
    const auto expected = Reference(values, &steps);
    for (int killAt = 0; killAt < steps; ++killAt) {
        const std::wstring store = Store(L"store");
        const int status = SaveInChildKilledAt(values, killAt);
        ASSERT_TRUE(WIFSIGNALED(status)) << "step " << killAt;
        for (const auto& [name, bytes] : {std::pair<const wchar_t*, std::string>{L"user.json", expected.first},
                                         {L"workstation.json", expected.second}}) {
            if (Exists(store + name)) {
                EXPECT_EQ(ReadBytes(store + name), bytes) << "step " << killAt;
            }
        }
        CorvexParameters loaded(L"client");
        EXPECT_NO_THROW(loaded.Load()) << "step " << killAt;
        // Start the next step from nothing again.
        for (const wchar_t* name : {L"user.json", L"workstation.json", L"user.json.tmp", L"workstation.json.tmp"}) {
            disk_.Remove(store + name);
        }
    }
}

TEST_F(KillDuringSave, ASaveAfterAKilledOneLeavesNoTemporaryFile) {
    SaveValues(ValuesOfRun(1));
    int steps = 0;
    Reference(ValuesOfRun(2), &steps);
    // Killed right after the first temporary file was complete: it stays behind.
    SaveInChildKilledAt(ValuesOfRun(2), 3);
    SaveValues(ValuesOfRun(3));
    EXPECT_EQ(ReadBytes(Store(L"store") + L"user.json"), Reference(ValuesOfRun(3)).first);
    EXPECT_FALSE(Exists(Store(L"store") + L"user.json.tmp"));
    EXPECT_FALSE(Exists(Store(L"store") + L"workstation.json.tmp"));
}

}  // namespace
