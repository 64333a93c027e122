// The stores on a real temporary folder: round trips, first use, the rights a save gives,
// and one table of damaged files, attacks and failing saves planted in the agent's store.
#include <unistd.h>

#include <ctime>

#include "params_fixture.h"

namespace {

using namespace params_test;

class StoreTest : public ParamsOnDisk {
public:
    std::vector<std::wstring> Calls(const std::wstring& prefix) const {
        std::vector<std::wstring> found;
        std::copy_if(files_.calls.begin(), files_.calls.end(), std::back_inserter(found),
                     [&](const std::wstring& call) { return call.rfind(prefix, 0) == 0; });
        return found;
    }
    std::wstring Quentara() const { return bench.folders.programData + L"\\Quentara"; }
    std::wstring Outside() const { return bench.PathInRoot(L"outside"); }
    void LinkAt(const std::wstring& path, const std::wstring& target) {
        fs::remove_all(Native(path));
        fs::create_symlink(Native(target), Native(path));
    }
    std::wstring Loaded() { return Show(bench.ReadAgentSettings()); }
};

TEST_F(StoreTest, RoundTripKeepsEveryValueAndTheFlagsInReadableUtf8AndTheStoreHasItsRights) {
    const std::wstring login = L"CORP\\J\u00fcrgen \u6e2c\U0001F600", host = L"2001:db8::1";
    CorvexParameters saved(L"client");
    saved.SetClientName(L"", true);
    saved.SetUserName(login);
    saved.SetCoordinator(host, 65535, true);
    saved.Save(true);
    EXPECT_NE(ReadBytes(UserFile()).find("\"secured\": true,\n  \"login\": \"CORP\\\\J\xc3\xbcrgen \xe6\xb8\xac"),
              std::string::npos);
    EXPECT_TRUE(bench.SystemSupplied(Store()));
    EXPECT_EQ(Loaded(), host + L"|65535|" + login + L"|");
    // Each folder below ProgramData is created with the store's rights, every file written with
    // them, nothing repaired afterwards.
    const std::wstring created = L"create store folder " + Quentara();
    EXPECT_EQ(Calls(L"create store folder "), (std::vector<std::wstring>{created, created + L"\\Corvex Workstation",
                                                                         created + L"\\Corvex Workstation\\Settings"}));
    EXPECT_EQ(std::make_tuple(Calls(L"write protected ").size(), Calls(L"restrict ").size()),
              std::make_tuple(Calls(L"write ").size(), std::size_t{0}));
    // A folder open to everyone is closed before any file is written, and only that one.
    fs::permissions(Native(Store()), fs::perms::all);
    files_.calls.clear();
    saved.Save(true);
    EXPECT_EQ(std::make_tuple(fs::status(Native(Store())).permissions(), Calls(L"restrict ").size(),
                              files_.calls[0].rfind(L"restrict ", 0)),
              std::make_tuple(static_cast<fs::perms>(0755), std::size_t{1}, std::size_t{0}));
    CorvexParameters loaded(L"client");  // the flag comes back with a load; folders without their backslash
    loaded.Load();
    loaded.Save(bench.PathInRoot(L"copy"), bench.PathInRoot(L"copy"));
    EXPECT_NE(ReadBytes(bench.PathInRoot(L"copy\\user.json")).find("\"secured\": true"), std::string::npos);
}

TEST_F(StoreTest, FirstUseLoadsTheDefaultsAndWritesNothingAndTemporaryNamesAreFresh) {
    CorvexParameters parameters = Settings(L"elsewhere", 1, L"WS-1"), defaults = parameters;
    parameters.Load();
    defaults.LoadSystemDefaults();  // the same values as a first load, the port the library's constant
    EXPECT_EQ(std::make_tuple(Show(parameters), Show(defaults), defaults.GetCoordinatorPort()),
              std::make_tuple(L"localhost|9750|Administrator|", Show(parameters),
                              CorvexParameters::Defaults::coordinatorPort));
    fs::create_directories(Native(bench.folders.programData));  // the system's folder is there, ours not yet
    EXPECT_NE(ErrorOf([&] { parameters.Save(false); }).find("Quentara\" does not exist"), std::string::npos);
    EXPECT_FALSE(fs::exists(Native(Quentara()))) << "a save without its flag creates no folder";
    // Temporary files: new files beside the targets under 16 fresh hexadecimal digits.
    Settings(L"new-server", 2222, L"WS-NEW").Save(true);
    Settings(L"new-server", 2222, L"WS-NEW").Save(true);
    const std::wstring prefix = L"write protected " + UserFile() + L".";
    const auto temporary = Calls(prefix);
    ASSERT_EQ(temporary.size(), 2u);
    EXPECT_NE(temporary[0], temporary[1]);
    EXPECT_EQ(temporary[0].size() + temporary[1].size(), 2 * (prefix.size() + 16 + 4));
    EXPECT_EQ(Files().size(), 2u) << "a temporary file was left";
    defaults.Save(bench.PathInRoot(L"d\\"), bench.PathInRoot(L"d\\"));  // the defaults' empty name is the system's
    EXPECT_TRUE(bench.SystemSupplied(bench.PathInRoot(L"d\\")));
}

// A time as the name of a damaged file's kept copy tells it.
std::string Stamp(std::time_t t) {
    char stamp[16] = {};
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&t));
    return stamp;
}

// A file above 64 KiB is damaged even when it holds good JSON: a save keeps it first, under a
// free name when earlier copies of the same second are there.
TEST_F(StoreTest, ASaveKeepsAnOversizedFileUnderAFreeName) {
    Settings(L"old-server", 1111, L"WS-OLD").Save(true);
    const std::string big = "{" + std::string(70 * 1024, ' ') + kUser.substr(1);
    WriteBytes(UserFile(), big);
    const std::time_t now = std::time(nullptr);
    for (std::time_t t = now - 1; t <= now + 3; ++t) {
        const std::string stamp = Stamp(t);
        WriteBytes(UserFile() + L".damaged-" + std::wstring(stamp.begin(), stamp.end()), "older");
    }
    Settings(L"new-server", 2222, L"WS-NEW").Save(true);
    std::vector<std::string> kept;
    for (const auto& file : Files())
        if (ReadBytes(bench.PathInRoot(std::wstring(file.begin(), file.end()))) == big) kept.push_back(file);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].substr(kept[0].size() - 2), "-2");
}

// Planted in the agent's store (which holds "old-server" and "WS-OLD") before a load and a
// save of "new-server" and "WS-NEW": the name, the plant, a part of Load's refusal ("" when it
// loads), the values shown after the load, a part of Save's refusal ("" when it saves; nullptr:
// the same as Load's), the damaged files kept beside the store, and whether a refused save left
// user.json new (and says so).
using Planted =
    std::tuple<const char*, std::function<void(StoreTest&)>, const char*, const wchar_t*, const char*, int, bool>;
class PlantedStoreTest : public StoreTest, public ::testing::WithParamInterface<Planted> {};

const std::string kUtf16("\xff\xfe{\0}\0", 6);

TEST_P(PlantedStoreTest, LoadAndSaveAreNeverMisledAndNothingIsLost) {
    const auto& [name, plant, loadError, loaded, saveErrorOrNull, keptDamaged, userStuck] = GetParam();
    const char* saveError = saveErrorOrNull != nullptr ? saveErrorOrNull : loadError;
    Settings(L"old-server", 1111, L"WS-OLD").Save(true);
    WriteBytes(Outside() + L"\\victim", "victim");
    files_.calls.clear();  // faults count the calls from here on
    plant(*this);
    if (IsSkipped()) return;
    CorvexParameters parameters(L"client");  // a refused load leaves its values as they were
    const std::string loadRefusal = ErrorOf([&] { parameters.Load(); });
    EXPECT_EQ(std::make_tuple(loadRefusal.find(loadError) != std::string::npos, Show(parameters)),
              std::make_tuple(true, std::wstring(loaded)))
        << loadRefusal;

    const auto before = Files();
    const std::string bytesBefore = ReadBytes(UserFile()) + ReadBytes(WorkstationFile());
    const std::string from = Stamp(std::time(nullptr));
    const std::string saveRefusal = ErrorOf([&] { Settings(L"new-server", 2222, L"WS-NEW").Save(true); });
    const std::string to = Stamp(std::time(nullptr));
    EXPECT_NE(saveRefusal.find(saveError), std::string::npos) << saveRefusal;
    if (*saveError == '\0') {
        EXPECT_EQ(Loaded(), L"new-server|2222|Administrator|WS-NEW");
    } else {  // a refused save leaves every file as it was, but user.json and a kept copy when it says so
        const std::string bytes = ReadBytes(UserFile()) + ReadBytes(WorkstationFile());
        auto after = Files();
        after.erase(std::remove_if(after.begin(), after.end(),
                                   [&](const std::string& f) { return userStuck && f.find(".damaged-") != f.npos; }),
                    after.end());
        EXPECT_EQ(
            std::make_tuple(after, bytes.find("new-server") != std::string::npos, userStuck || bytes == bytesBefore),
            std::make_tuple(before, userStuck, true));
    }
    std::string kept, expected;  // each damaged file kept: named for the time of the save, and its bytes
    for (const auto& file : Files()) {
        const auto at = file.find(".damaged-");
        const std::wstring path = bench.PathInRoot(std::wstring(file.begin(), file.end()));
        const std::string stamp = at != std::string::npos ? file.substr(at + 9) : "";
        if (at != std::string::npos) kept += (stamp >= from && stamp <= to ? "on time" : stamp) + ReadBytes(path);
    }
    for (int i = 0; i < keptDamaged; ++i) expected += "on time" + kUtf16;
    EXPECT_EQ(kept, expected);
    EXPECT_EQ(std::to_string(FilesBelow(Outside()).size()) + ReadBytes(Outside() + L"\\victim"), "1victim");
}

using T = StoreTest;
const wchar_t kOld[] = L"old-server|1111|Administrator|WS-OLD", kNoName[] = L"old-server|1111|Administrator|",
              kDefaults[] = L"localhost|9750|Administrator|";
// clang-format off
INSTANTIATE_TEST_SUITE_P(Store, PlantedStoreTest, ::testing::ValuesIn(std::vector<Planted>{
    // Damaged files: each counts alone, and a save keeps it beside the store first.
    {"DamagedWorkstationFile", [](T& t) { WriteBytes(t.WorkstationFile(), kUtf16); }, "", kNoName, "", 1, false},
    {"DamagedUserFile", [](T& t) { WriteBytes(t.UserFile(), kUtf16); }, "", L"localhost|9750|Administrator|WS-OLD", "",
     1, false},
    {"BothDamaged", [](T& t) { WriteBytes(t.UserFile(), kUtf16), WriteBytes(t.WorkstationFile(), kUtf16); },
     "workstation.json\" is damaged", kDefaults, "", 2, false},
    {"UnreadableFile", [](T& t) { t.files_.faults[L"read"] = {ERROR_ACCESS_DENIED, 1}; }, "user.json\" cannot be read",
     kDefaults, "", 0, false},
    // A UTF-8 file may begin with a byte order mark.
    {"Utf8WithByteOrderMark", [](T& t) { WriteBytes(t.UserFile(), "\xef\xbb\xbf" + kUser); }, "",
     L"backup01|9750|CORP\\J\u00fcrgen|WS-OLD", "", 0, false},
    // Links, names in the wrong place and a stranger's folder.
    {"LinkAtQuentara", [](T& t) { t.LinkAt(t.Quentara(), t.Outside()); }, "Quentara\" is a link", kDefaults, nullptr, 0,
     false},
    {"LinkAtSettings", [](T& t) { t.LinkAt(t.Store().substr(0, t.Store().size() - 1), t.Outside()); },
     "Settings\" is a link", kDefaults, nullptr, 0, false},
    {"LinkAtUserJson", [](T& t) { t.LinkAt(t.UserFile(), t.Outside() + L"\\victim"); }, "user.json\" is a link",
     kDefaults, nullptr, 0, false},
    {"FileWhereSettingsShouldBe",
     [](T& t) { fs::remove_all(Native(t.Store())), WriteBytes(t.Store().substr(0, t.Store().size() - 1), "x"); },
     "Settings\" is a file, not a folder", kDefaults, nullptr, 0, false},
    {"UserJsonIsAFolder", [](T& t) { fs::remove(Native(t.UserFile())), fs::create_directories(Native(t.UserFile())); },
     "user.json\" is a folder, not a file", kDefaults, nullptr, 0, false},
    {"QuentaraOwnedByAStranger", [](T& t) {
         if (::geteuid() != 0) GTEST_SKIP() << "only root can give a folder away";
         ASSERT_EQ(::chown(Native(t.Quentara()).c_str(), 4242, 4242), 0);
     }, "belongs to 4242, who is not an administrator", kDefaults, nullptr, 0, false},
    {"OpenFolderThatCannotBeProtected", [](T& t) {
         fs::permissions(Native(t.Store()), fs::perms::all), t.files_.faults[L"restrict"] = {ERROR_ACCESS_DENIED, 0};
     }, "", kOld, "Settings\" cannot be protected: access is denied. No settings file was changed.", 0, false},
    // Saves failing part-way: the pair is replaced all together or not at all.
    {"SecondReplaceBlocked", [](T& t) { t.files_.faults[L"replace"] = {32, 2}; }, "", kOld, "workstation.json\" cannot "
     "be replaced: another program is using the file. No settings file was changed.", 0, false},
    {"SecondReplaceBlockedAndPuttingBackFails",
     [](T& t) { t.files_.faults = {{L"replace", {32, 2}}, {L"write", {112, 3}}}; }, "", kOld,
     "user.json\" already held the new settings", 0, true},
    {"DiskFullWritingTheSecondFile", [](T& t) { t.files_.faults[L"write"] = {112, 2}; }, "", kOld,
     "workstation.json\" cannot be written: the disk is full. No settings file was changed.", 0, false},
    // The first save into an empty store.
    {"FirstSaveSecondReplaceBlocked", [](T& t) {
         fs::remove(Native(t.UserFile())), fs::remove(Native(t.WorkstationFile()));
         t.files_.faults[L"replace"] = {32, 2};
     }, "", kDefaults, "workstation.json\" cannot be replaced: another program is using the file. No settings file "
     "was changed.", 0, false},
    // ... and a damaged file kept aside goes again when the save fails after it.
    {"DamagedFileAndReplaceBlocked",
     [](T& t) { WriteBytes(t.WorkstationFile(), kUtf16), t.files_.faults[L"replace"] = {32, 2}; }, "", kNoName,
     "workstation.json\" cannot be replaced: another program is using the file. No settings file was changed.", 0,
     false},
    {"DamagedFileAndPuttingBackFails",
     [](T& t) {
         WriteBytes(t.WorkstationFile(), kUtf16), t.files_.faults = {{L"replace", {32, 2}}, {L"write", {112, 4}}};
     },
     "", kNoName, "The damaged file was kept as \"", 1, true},
    // A file too large to keep a copy of is not replaced.
    {"FileAbove16MiB", [](T& t) { WriteBytes(t.UserFile(), std::string((16 << 20) + 1, ' ')); }, "larger than 64 KiB",
     kDefaults, "larger than 16 MiB; move it away first", 0, false},
    {"LinkAtProgramData", [](T& t) { t.LinkAt(t.bench.folders.programData, t.Outside()); }, "ProgramData\" is a link",
     kDefaults, nullptr, 0, false},
    {"DamagedFileAndDiskFull",
     [](T& t) { WriteBytes(t.WorkstationFile(), kUtf16), t.files_.faults[L"write"] = {112, 2}; }, "", kNoName,
     "user.json\" cannot be written: the disk is full. No settings file was changed.", 0, false}}),
    [](const auto& info) { return std::string(std::get<0>(info.param)); });
// clang-format on

}  // namespace
