// Saves on a real temporary store: saves that fail part-way change no file (the pair is
// replaced all together or not at all) and leave no temporary file; attacks planted in the
// store (links, squatting names, files and folders in the wrong place, a folder a stranger
// owns) never redirect a save; damaged files are kept beside the store before a save replaces
// them, and each file counts alone on load.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "params/corvex_parameters.h"
#include "params_fixture.h"
#include "platform/fake/faulty_file_system.h"

namespace {

namespace fs = std::filesystem;
using params_test::FilesBelow;
using params_test::ReadBytes;
using params_test::WriteBytes;
using Faulty = platform::FaultyFileSystem;

constexpr DWORD kDiskFull = 112;
constexpr DWORD kInUse = 32;

class AtomicSaveTest : public params_test::ParamsOnDisk {
protected:
    AtomicSaveTest() : faulty_(disk_) {
        // A first, good save; then every later call goes through the fault injector.
        CorvexParameters first(L"client");
        first.SetCoordinator(L"old-server", 1111, false);
        first.Save(true);
        oldUser_ = ReadBytes(AgentUserFile());
        oldWorkstation_ = ReadBytes(AgentWorkstationFile());
        Use(faulty_);
    }

    // Saves changed values and gives the error's text ("" when it did not fail).
    std::string SaveChanged() {
        CorvexParameters changed(L"client");
        changed.SetCoordinator(newHost_, 2222, false);
        changed.SetClientName(newName_, false);
        return params_test::ErrorOf([&] { changed.Save(true); });
    }

    fs::path Native(const std::wstring& path) const { return platform::PortableFileSystem::NativePath(path); }
    fs::path Outside() const { return fs::path(temp_.Native()) / "outside"; }
    std::wstring Corvex() const { return folders_.programData + L"\\Quentara\\Corvex Workstation"; }

    Faulty faulty_;
    std::string oldUser_;
    std::string oldWorkstation_;
    const std::wstring newHost_ = L"new-server";
    const std::wstring newName_ = L"WS-NEW";
};

struct FailedSave {
    const char* name;
    Faulty::Fault replace, write;
    const char* named;   // the file that the error names
    const char* reason;  // the system error in words
    const char* tells;   // what the message says of the files
    bool userNew;        // user.json holds the new values afterwards
};

void PrintTo(const FailedSave& c, std::ostream* os) { *os << c.name; }

class FailedSaveTest : public AtomicSaveTest, public ::testing::WithParamInterface<FailedSave> {};

TEST_P(FailedSaveTest, ChangesNoFileOrSaysWhichAndLeavesNoTemporaryFile) {
    const FailedSave& c = GetParam();
    faulty_.replaceFault = c.replace;
    faulty_.writeFault = c.write;
    const std::string error = SaveChanged();
    EXPECT_NE(error.find(c.named), std::string::npos) << error;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_NE(error.find(c.tells), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(AgentUserFile()) != oldUser_, c.userNew);
    EXPECT_EQ(ReadBytes(AgentWorkstationFile()), oldWorkstation_);
    EXPECT_EQ(FilesBelow(temp_.Native()).size(), 2u) << "a temporary file was left";
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FailedSaveTest,
    ::testing::Values(
        FailedSave{"FirstReplaceBlocked", {ERROR_ACCESS_DENIED, 1}, {}, "user.json", "access is denied",
                   "No settings file was changed", false},
        // user.json was replaced and is put back: all or nothing.
        FailedSave{"SecondReplaceBlocked", {kInUse, 2}, {}, "workstation.json", "another program",
                   "No settings file was changed", false},
        // ... and when putting it back fails too, the message says which file holds what.
        FailedSave{"SecondReplaceBlockedAndDiskFullPuttingBack", {kInUse, 2}, {kDiskFull, 3}, "workstation.json",
                   "another program", "user.json\" already held the new settings", true},
        FailedSave{"DiskFullWhileWritingTheSecondFile", {}, {kDiskFull, 2}, "workstation.json", "disk is full",
                   "No settings file was changed", false}),
    [](const ::testing::TestParamInfo<FailedSave>& info) { return std::string(info.param.name); });

TEST_F(AtomicSaveTest, TemporaryFilesAreNewFilesUnderFreshNamesBesideTheTargets) {
    std::vector<std::wstring> temporaries;
    for (int save = 0; save < 2; ++save) {
        faulty_.calls.clear();
        ASSERT_EQ(SaveChanged(), "");
        ASSERT_GE(faulty_.calls.size(), 4u);
        const std::wstring write = faulty_.calls[faulty_.calls.size() - 4];
        const std::wstring prefix = L"write protected " + AgentUserFile() + L".";
        ASSERT_EQ(write.compare(0, prefix.size(), prefix), 0) << "not beside user.json with the store's rights";
        EXPECT_EQ(write.size(), prefix.size() + 16 + 4) << "not 16 fresh hex digits and .tmp";
        EXPECT_EQ(faulty_.calls[faulty_.calls.size() - 2], L"replace " + AgentUserFile());
        temporaries.push_back(write);
    }
    EXPECT_NE(temporaries[0], temporaries[1]) << "the same temporary name twice";
    EXPECT_EQ(FilesBelow(temp_.Native()).size(), 2u) << "a temporary file was left";
}

TEST_F(AtomicSaveTest, UnreadableFileIsAnErrorNotFirstUse) {
    faulty_.readFault = {ERROR_ACCESS_DENIED, 0};
    CorvexParameters parameters(L"client");
    const std::string error = params_test::ErrorOf([&] { parameters.Load(); });
    EXPECT_NE(error.find("user.json"), std::string::npos) << "an unreadable store taken for a missing one: " << error;
    EXPECT_EQ(ReadBytes(AgentUserFile()), oldUser_);
}

// Something planted in or around the store before a save.
class StoreAttackTest;
struct Attack {
    const char* name;
    std::function<void(StoreAttackTest&)> plant;
    const char* error;  // a part of the refusal; "" when the save goes through
    bool loadRefused;   // Load refuses with the same words
};

void PrintTo(const Attack& c, std::ostream* os) { *os << c.name; }

class StoreAttackTest : public AtomicSaveTest, public ::testing::WithParamInterface<Attack> {
public:
    std::wstring Quentara() const { return folders_.programData + L"\\Quentara"; }
    std::wstring Settings() const { return Corvex() + L"\\Settings"; }
    std::wstring UserFile() const { return AgentUserFile(); }
    std::wstring WorkstationFile() const { return AgentWorkstationFile(); }
    std::wstring Victim() const { return temp_.Wide() + L"\\outside\\victim"; }
    void LinkInPlaceOf(const std::wstring& path, const std::wstring& target) {
        fs::remove_all(Native(path));
        fs::create_symlink(Native(target), Native(path));
    }
    void ReplaceWithFile(const std::wstring& path) {
        fs::remove_all(Native(path));
        WriteBytes(path, "planted");
    }
    void ReplaceWithFolder(const std::wstring& path) {
        fs::remove_all(Native(path));
        fs::create_directories(Native(path) / "inside");
    }
    std::wstring Corvex() const { return AtomicSaveTest::Corvex(); }
    fs::path Native(const std::wstring& path) const { return AtomicSaveTest::Native(path); }
};

TEST_P(StoreAttackTest, SaveIsNeverRedirected) {
    const Attack& c = GetParam();
    WriteBytes(Victim(), "victim");
    c.plant(*this);
    if (IsSkipped()) return;
    const auto planted = FilesBelow(temp_.Native());
    const std::string error = SaveChanged();
    if (*c.error == '\0') {
        ASSERT_EQ(error, "");
        CorvexParameters loaded(L"client");
        loaded.Load();
        EXPECT_EQ(loaded.GetCoordinatorHost(), newHost_);
        EXPECT_EQ(loaded.GetClientName(), newName_);
    } else {
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_EQ(FilesBelow(temp_.Native()), planted) << "a refused save wrote or removed a file";
    }
    EXPECT_EQ(ReadBytes(Victim()), "victim");
    EXPECT_EQ(FilesBelow(Native(temp_.Wide() + L"\\outside").string()).size(), 1u) << "written through a link";
    const std::string loadError = params_test::ErrorOf([] { CorvexParameters(L"client").Load(); });
    if (c.loadRefused) {
        EXPECT_NE(loadError.find(c.error), std::string::npos) << loadError;
    } else {
        EXPECT_EQ(loadError, "");
    }
}

const Attack kAttacks[] = {
    {"LinkAtQuentara", [](StoreAttackTest& t) { t.LinkInPlaceOf(t.Quentara(), t.Victim() + L"\\.."); },
     "Quentara\" is a link", true},
    {"LinkAtSettings", [](StoreAttackTest& t) { t.LinkInPlaceOf(t.Settings(), t.Victim() + L"\\.."); },
     "Settings\" is a link", true},
    {"LinkAtUserJson", [](StoreAttackTest& t) { t.LinkInPlaceOf(t.UserFile(), t.Victim()); },
     "user.json\" is a link", true},
    // The names earlier versions gave their temporary files are not used any more.
    {"LinkAtOldTemporaryName", [](StoreAttackTest& t) { t.LinkInPlaceOf(t.UserFile() + L".tmp", t.Victim()); }, "",
     false},
    {"FolderAtOldTemporaryName", [](StoreAttackTest& t) { t.ReplaceWithFolder(t.WorkstationFile() + L".tmp"); }, "",
     false},
    {"FileWhereSettingsFolderShouldBe", [](StoreAttackTest& t) { t.ReplaceWithFile(t.Settings()); },
     "Settings\" is a file, not a folder", true},
    {"UserJsonIsAFolder", [](StoreAttackTest& t) { t.ReplaceWithFolder(t.UserFile()); },
     "user.json\" is a folder, not a file", true},
    {"QuentaraOwnedByAStranger",
     [](StoreAttackTest& t) {
         if (::geteuid() != 0) GTEST_SKIP() << "only root can give a folder away";
         ASSERT_EQ(::chown(t.Native(t.Quentara()).c_str(), 4242, 4242), 0);
     },
     "belongs to 4242, who is not an administrator", true},
};

INSTANTIATE_TEST_SUITE_P(Attacks, StoreAttackTest, ::testing::ValuesIn(kAttacks),
                         [](const ::testing::TestParamInfo<Attack>& info) { return std::string(info.param.name); });

TEST_F(AtomicSaveTest, AFolderOpenToEveryoneIsClosedBeforeAnyFileIsWritten) {
    fs::permissions(Native(Corvex()), fs::perms::all);
    ASSERT_EQ(SaveChanged(), "");
    struct stat info {};
    ASSERT_EQ(::stat(Native(Corvex()).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
    int restricted = -1, firstWrite = -1;
    for (std::size_t i = 0; i < faulty_.calls.size(); ++i) {
        if (restricted < 0 && faulty_.calls[i] == L"restrict " + Corvex()) restricted = static_cast<int>(i);
        if (firstWrite < 0 && faulty_.calls[i].compare(0, 6, L"write ") == 0) firstWrite = static_cast<int>(i);
    }
    ASSERT_GE(restricted, 0);
    EXPECT_LT(restricted, firstWrite);
    EXPECT_EQ(std::count(faulty_.calls.begin(), faulty_.calls.end(), L"restrict " + Corvex() + L"\\Settings"), 0)
        << "a folder nobody else may change was changed";
}

// Damaged files: each counts alone on load, and a save keeps it beside the store.
struct Damaged {
    const char* name;
    bool userDamaged;
    bool workstationDamaged;
};

class DamagedFileTest : public AtomicSaveTest, public ::testing::WithParamInterface<Damaged> {};

TEST_P(DamagedFileTest, LoadShowsTheIntactFileAndSaveKeepsTheDamagedOne) {
    const Damaged& c = GetParam();
    CorvexParameters stored(L"client");
    stored.SetCoordinator(L"kept-host", 3333, false);
    stored.SetUserName(L"CORP\\kept");
    stored.SetClientName(L"WS-KEPT", false);
    stored.Save(true);
    const std::string utf16 = std::string("\xff\xfe{\0}\0", 6);
    if (c.userDamaged) WriteBytes(AgentUserFile(), utf16);
    if (c.workstationDamaged) WriteBytes(AgentWorkstationFile(), utf16);

    CorvexParameters loaded(L"client");
    const std::string loadError = params_test::ErrorOf([&] { loaded.Load(); });
    if (c.userDamaged && c.workstationDamaged) {
        EXPECT_NE(loadError.find("user.json\" is damaged"), std::string::npos) << loadError;
        EXPECT_NE(loadError.find("workstation.json\" is damaged"), std::string::npos) << loadError;
        EXPECT_NE(loadError.find("workstation.json.damaged-<date>-<time>"), std::string::npos) << loadError;
    } else {
        EXPECT_EQ(loadError, "");
        EXPECT_EQ(loaded.GetCoordinatorHost(), c.userDamaged ? L"localhost" : L"kept-host");
        EXPECT_EQ(loaded.GetAllowedUserName(), c.userDamaged ? L"Administrator" : L"CORP\\kept");
        EXPECT_EQ(loaded.GetClientName(), c.workstationDamaged ? L"" : L"WS-KEPT");
    }

    ASSERT_EQ(SaveChanged(), "");
    // Sorted, each kept file follows its settings file.
    const auto names = FilesBelow(Native(AgentStore()).string());
    ASSERT_EQ(names.size(), 2u + c.userDamaged + c.workstationDamaged) << testing::PrintToString(names);
    std::size_t at = 0;
    for (const std::string file : {"user.json", "workstation.json"}) {
        EXPECT_EQ(names[at++], file);
        if (!(file == "user.json" ? c.userDamaged : c.workstationDamaged)) continue;
        const std::string kept = names[at++];
        EXPECT_EQ(kept.compare(0, file.size() + 9, file + ".damaged-"), 0) << kept;
        EXPECT_EQ(kept.size(), file.size() + 9 + 15) << "not a date and time: " << kept;
        EXPECT_EQ(ReadBytes(AgentStore() + std::wstring(kept.begin(), kept.end())), utf16);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedFileTest,
                         ::testing::Values(Damaged{"Workstation", false, true}, Damaged{"User", true, false},
                                           Damaged{"Both", true, true}),
                         [](const ::testing::TestParamInfo<Damaged>& info) { return std::string(info.param.name); });

}  // namespace
