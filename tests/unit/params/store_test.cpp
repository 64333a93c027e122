// The stores on a real temporary folder: round trips, first use, the rights a save gives,
// and one table of damaged files, attacks and failing saves planted in the agent's store.
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "params_fixture.h"

namespace {

using namespace params_test;

class StoreTest : public ParamsOnDisk {
public:
    std::vector<std::wstring> Calls(const std::wstring& prefix) const {
        std::vector<std::wstring> found;
        std::copy_if(files_.calls.begin(), files_.calls.end(), std::back_inserter(found),
                     [&](const std::wstring& call) { return call.compare(0, prefix.size(), prefix) == 0; });
        return found;
    }
    std::wstring Quentara() const { return folders_.programData + L"\\Quentara"; }
    std::wstring Outside() const { return temp_.Wide() + L"\\outside"; }
    void LinkAt(const std::wstring& path, const std::wstring& target) {
        fs::remove_all(Native(path));
        fs::create_symlink(Native(target), Native(path));
    }
};

TEST_F(StoreTest, RoundTripKeepsEveryValueAndTheFlagsInReadableUtf8AndCreatesTheStoreWithItsRights) {
    const std::wstring login = L"CORP\\J\u00fcrgen \u6e2c\U0001F600", host = L"2001:db8::1";
    CorvexParameters saved(L"client");
    saved.SetClientName(L"", true);
    saved.SetUserName(login);
    saved.SetCoordinator(host, 65535, true);
    saved.Save(true);
    EXPECT_NE(ReadBytes(UserFile()).find("\"login\": \"CORP\\\\J\xc3\xbcrgen \xe6\xb8\xac"), std::string::npos);
    EXPECT_NE(ReadBytes(UserFile()).find("\"secured\": true"), std::string::npos);
    EXPECT_NE(ReadBytes(WorkstationFile()).find("\"systemSupplied\": true"), std::string::npos);
    CorvexParameters loaded(L"client");
    loaded.Load();
    EXPECT_EQ(loaded.GetAllowedUserName() + L"|" + loaded.GetCoordinatorHost() + L"|" + loaded.GetClientName(),
              login + L"|" + host + L"|");
    EXPECT_EQ(loaded.GetCoordinatorPort(), 65535);
    // Each folder below ProgramData is created with the store's rights, every file written with
    // them, nothing repaired afterwards.
    ASSERT_EQ(Calls(L"create store folder ").size(), 3u);
    EXPECT_EQ(Calls(L"create store folder ")[0], L"create store folder " + Quentara());
    EXPECT_EQ(Calls(L"write protected ").size(), Calls(L"write ").size());
    EXPECT_TRUE(Calls(L"restrict ").empty());
}

TEST_F(StoreTest, PredefinedFoldersHoldOneFileEachWithTheirInheritedRights) {
    const std::wstring user = temp_.Wide() + L"\\Kit\\User\\", workstation = temp_.Wide() + L"\\Kit\\Workstation";
    Settings(L"10.1.2.3", 4000, L"KIOSK-7").Save(user, workstation);  // a backslash is added to the second
    EXPECT_EQ(Files(), (std::vector<std::string>{"Kit/User/user.json", "Kit/Workstation/workstation.json"}));
    EXPECT_TRUE(Calls(L"create store folder ").empty());
    EXPECT_TRUE(Calls(L"write protected ").empty());
    CorvexParameters loaded(L"client");
    loaded.Load(user, workstation);
    EXPECT_EQ(loaded.GetCoordinatorHost() + L"|" + loaded.GetClientName(), L"10.1.2.3|KIOSK-7");
    EXPECT_EQ(loaded.GetCoordinatorPort(), 4000);
}

TEST_F(StoreTest, FirstUseLoadsTheDefaultsAndWritesNothingAndTemporaryNamesAreFresh) {
    CorvexParameters parameters = Settings(L"elsewhere", 1, L"WS-1");
    parameters.Load();
    EXPECT_EQ(
        parameters.GetCoordinatorHost() + L"|" + parameters.GetAllowedUserName() + L"|" + parameters.GetClientName(),
        L"localhost|Administrator|");
    EXPECT_EQ(parameters.GetCoordinatorPort(), 9750);
    CorvexParameters defaults = Settings(L"elsewhere", 1, L"WS-1");
    defaults.LoadSystemDefaults();  // the same values as a first load, the port the library's constant
    EXPECT_EQ(defaults.GetCoordinatorHost() + L"|" + defaults.GetAllowedUserName() + L"|" + defaults.GetClientName(),
              L"localhost|Administrator|");
    EXPECT_EQ(defaults.GetCoordinatorPort(), CorvexParameters::Defaults::coordinatorPort);
    fs::create_directories(Native(folders_.programData));  // the system's folder is there, ours not yet
    EXPECT_NE(ErrorOf([&] { parameters.Save(false); }).find("Quentara\" does not exist"), std::string::npos);
    EXPECT_FALSE(Exists(Quentara())) << "a save without its flag creates no folder";
    // Temporary files: new files beside the targets under 16 fresh hexadecimal digits.
    std::vector<std::wstring> names;
    for (int save = 0; save < 2; ++save) {
        Settings(L"new-server", 2222, L"WS-NEW").Save(true);
        names.push_back(Calls(L"write protected " + UserFile() + L".").back());
        EXPECT_EQ(names.back().size(), std::wstring(L"write protected " + UserFile() + L".").size() + 16 + 4);
    }
    EXPECT_NE(names[0], names[1]);
    EXPECT_EQ(Files().size(), 2u) << "a temporary file was left";
}

TEST_F(StoreTest, AFolderOpenToEveryoneIsClosedBeforeAnyFileIsWritten) {
    Settings(L"old-server", 1111, L"WS-OLD").Save(true);
    fs::permissions(Native(Store()), fs::perms::all);
    files_.calls.clear();
    Settings(L"new-server", 2222, L"WS-NEW").Save(true);
    struct stat info {};
    ASSERT_EQ(::stat(Native(Store()).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
    ASSERT_EQ(Calls(L"restrict ").size(), 1u) << "only the open folder is repaired";
    EXPECT_EQ(files_.calls[0].compare(0, 9, L"restrict "), 0) << "repaired before anything was written";
}

// Planted in the agent's store (which holds "old-server" and "WS-OLD") before a load and a
// save of "new-server" and "WS-NEW".
struct Planted {
    const char* name;
    std::function<void(StoreTest&)> plant;
    const char* loadError;  // a part of Load's refusal; "" when it loads, showing:
    const wchar_t* loadedHostAndName;
    const char* saveError;   // a part of Save's refusal; "" when it saves
    int keptDamaged = 0;     // damaged files kept beside the store
    bool userStuck = false;  // a refused save left user.json new (and says so)
};
void PrintTo(const Planted& c, std::ostream* os) { *os << c.name; }

class PlantedStoreTest : public StoreTest, public ::testing::WithParamInterface<Planted> {};

const std::string kUtf16("\xff\xfe{\0}\0", 6);

TEST_P(PlantedStoreTest, LoadAndSaveAreNeverMisledAndNothingIsLost) {
    const Planted& c = GetParam();
    Settings(L"old-server", 1111, L"WS-OLD").Save(true);
    WriteBytes(Outside() + L"\\victim", "victim");
    files_.calls.clear();  // faults count the calls from here on
    c.plant(*this);
    if (IsSkipped()) return;
    CorvexParameters loaded(L"client");
    const std::string loadError = ErrorOf([&] { loaded.Load(); });
    EXPECT_NE(loadError.find(c.loadError), std::string::npos) << loadError;
    if (*c.loadError == '\0') {
        EXPECT_EQ(loaded.GetCoordinatorHost() + L"|" + loaded.GetClientName(), c.loadedHostAndName);
    }

    const auto before = Files();
    const std::string bytesBefore = ReadBytes(UserFile()) + ReadBytes(WorkstationFile());
    const std::string saveError = ErrorOf([&] { Settings(L"new-server", 2222, L"WS-NEW").Save(true); });
    EXPECT_NE(saveError.find(c.saveError), std::string::npos) << saveError;
    if (*c.saveError == '\0') {
        CorvexParameters again(L"client");
        again.Load();
        EXPECT_EQ(again.GetCoordinatorHost() + L"|" + again.GetClientName(), L"new-server|WS-NEW");
    } else {
        EXPECT_EQ(Files(), before) << "a refused save left or removed a file";
        EXPECT_EQ(ReadBytes(UserFile()).find("new-server") != std::string::npos, c.userStuck);
        if (!c.userStuck) {
            EXPECT_EQ(ReadBytes(UserFile()) + ReadBytes(WorkstationFile()), bytesBefore);
        }
    }
    int kept = 0;
    for (const auto& file : Files()) {
        const auto at = file.find(".damaged-");
        if (at == std::string::npos) continue;
        ++kept;
        EXPECT_EQ(file.size(), at + 9 + 15) << "not a date and time: " << file;
        EXPECT_EQ(ReadBytes(temp_.Wide() + L"\\" + std::wstring(file.begin(), file.end())), kUtf16);
    }
    EXPECT_EQ(kept, c.keptDamaged);
    EXPECT_EQ(FilesBelow(Native(Outside())), std::vector<std::string>{"victim"});
    EXPECT_EQ(ReadBytes(Outside() + L"\\victim"), "victim");
}

using T = StoreTest;
const wchar_t kOld[] = L"old-server|WS-OLD";
// clang-format off
INSTANTIATE_TEST_SUITE_P(Store, PlantedStoreTest, ::testing::Values(
    // Damaged files: each counts alone, and a save keeps it beside the store first.
    Planted{"DamagedWorkstationFile", [](T& t) { WriteBytes(t.WorkstationFile(), kUtf16); }, "", L"old-server|", "", 1},
    Planted{"DamagedUserFile", [](T& t) { WriteBytes(t.UserFile(), kUtf16); }, "", L"localhost|WS-OLD", "", 1},
    Planted{"BothDamaged", [](T& t) { WriteBytes(t.UserFile(), kUtf16), WriteBytes(t.WorkstationFile(), kUtf16); },
            "workstation.json\" is damaged", nullptr, "", 2},
    Planted{"UnreadableFile", [](T& t) { t.files_.readFault = {ERROR_ACCESS_DENIED, 1}; },
            "user.json\" cannot be read", nullptr, ""},
    // Links, names in the wrong place and a stranger's folder.
    Planted{"LinkAtQuentara", [](T& t) { t.LinkAt(t.Quentara(), t.Outside()); },
            "Quentara\" is a link", nullptr, "Quentara\" is a link"},
    Planted{"LinkAtSettings", [](T& t) { t.LinkAt(t.Store().substr(0, t.Store().size() - 1), t.Outside()); },
            "Settings\" is a link", nullptr, "Settings\" is a link"},
    Planted{"LinkAtUserJson", [](T& t) { t.LinkAt(t.UserFile(), t.Outside() + L"\\victim"); },
            "user.json\" is a link", nullptr, "user.json\" is a link"},
    Planted{"FileWhereSettingsShouldBe",
            [](T& t) { fs::remove_all(Native(t.Store())), WriteBytes(t.Store().substr(0, t.Store().size() - 1), "x"); },
            "Settings\" is a file, not a folder", nullptr, "Settings\" is a file, not a folder"},
    Planted{"UserJsonIsAFolder",
            [](T& t) { fs::remove(Native(t.UserFile())), fs::create_directories(Native(t.UserFile())); },
            "user.json\" is a folder, not a file", nullptr, "user.json\" is a folder, not a file"},
    Planted{"QuentaraOwnedByAStranger", [](T& t) {
                if (::geteuid() != 0) GTEST_SKIP() << "only root can give a folder away";
                ASSERT_EQ(::chown(Native(t.Quentara()).c_str(), 4242, 4242), 0);
            }, "belongs to 4242, who is not an administrator", nullptr, "belongs to 4242"},
    Planted{"OpenFolderThatCannotBeProtected", [](T& t) {
                fs::permissions(Native(t.Store()), fs::perms::all), t.files_.restrictFault = {ERROR_ACCESS_DENIED, 0};
            }, "", kOld, "Settings\" cannot be protected: access is denied. No settings file was changed."},
    // Saves failing part-way: the pair is replaced all together or not at all.
    Planted{"SecondReplaceBlocked", [](T& t) { t.files_.replaceFault = {32, 2}; }, "", kOld,
            "workstation.json\" cannot be replaced: another program is using the file. No settings file was changed."},
    Planted{"SecondReplaceBlockedAndPuttingBackFails",
            [](T& t) { t.files_.replaceFault = {32, 2}, t.files_.writeFault = {112, 3}; }, "", kOld,
            "user.json\" already held the new settings", 0, true},
    Planted{"DiskFullWritingTheSecondFile", [](T& t) { t.files_.writeFault = {112, 2}; }, "", kOld,
            "workstation.json\" cannot be written: the disk is full. No settings file was changed."},
    // ... and a damaged file kept aside goes again when the save fails after it.
    Planted{"DamagedFileAndDiskFull",
            [](T& t) { WriteBytes(t.WorkstationFile(), kUtf16), t.files_.writeFault = {112, 2}; }, "", L"old-server|",
            "user.json\" cannot be written: the disk is full. No settings file was changed."}),
    [](const ::testing::TestParamInfo<Planted>& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
