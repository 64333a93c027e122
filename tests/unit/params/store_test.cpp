// The store on a real temporary folder: a round trip (and a copy whose folder a file blocks), the
// rights a save gives, and one table of damaged files, attacks and failing saves planted in the
// agent's store; and what the settings files' parser tells of a damaged file.
#include <unistd.h>

#include <regex>

#include "params/settings_format.h"
#include "params_fixture.h"

namespace {

using namespace params_test;
using namespace std::string_literals;

struct StoreTest : ParamsOnDisk {
    std::vector<std::wstring> Calls(const std::wstring& prefix) const {
        std::vector<std::wstring> found;
        std::copy_if(files_.calls.begin(), files_.calls.end(), std::back_inserter(found),
                     [&](const std::wstring& call) { return call.rfind(prefix, 0) == 0; });
        return found;
    }
    std::wstring Outside() const { return bench.PathInRoot(L"outside"); }
    void LinkAt(const std::wstring& path, const std::wstring& target) {
        fs::remove_all(Native(path)), fs::create_symlink(Native(target), Native(path));
    }
};

TEST_F(StoreTest, RoundTripKeepsEveryValueAndTheFlagsInReadableUtf8AndTheStoreHasItsRights) {
    const std::wstring login = L"CORP\\J\u00fcrgen \u6e2c\U0001F600", host = L"2001:db8::1";
    CorvexParameters saved(L"client");
    saved.SetClientName(std::wstring(63, L'w'), true);  // the longest name, as the system's
    saved.SetUserName(login), saved.SetCoordinator(host, 65535, true), saved.Save(true);
    EXPECT_NE(ReadBytes(UserFile()).find("\"secured\": true,\n  \"login\": \"CORP\\\\J\xc3\xbcrgen \xe6\xb8\xac"),
              std::string::npos);
    EXPECT_EQ(bench.ReadAgentSettings(), host + L"|65535|" + login + L"|" + std::wstring(63, L'w'));
    // Each folder below ProgramData is created with the store's rights, every file written with
    // them, in the store itself and under a temporary name (a first save too), nothing repaired
    // afterwards.
    const std::wstring created = L"create store folder " + bench.folders.programData + L"\\Quentara";
    EXPECT_EQ(Calls(L"create store folder "), (std::vector<std::wstring>{created, created + L"\\Corvex Workstation",
                                                                         created + L"\\Corvex Workstation\\Settings"}));
    EXPECT_EQ(std::make_tuple(Calls(L"write protected " + Store()).size(), Calls(L"restrict ").size(),
                              Calls(L"write protected " + UserFile() + L".").size()),
              std::make_tuple(Calls(L"write ").size(), std::size_t{0}, std::size_t{1}));
    CorvexParameters loaded(L"client");  // the flag comes back with a load; folders without their backslash
    loaded.Load(), loaded.Save(bench.PathInRoot(L"copy"), bench.PathInRoot(L"copy"));
    EXPECT_EQ(Calls(L"write " + bench.PathInRoot(L"copy")).size(), 2u) << "a copy has its folder's rights";
    // A file where the folder of another copy should be: no save, no load; nor a copy whose folder the system
    // refuses (its name, not Unicode, shown with the replacement character).
    WriteBytes(bench.PathInRoot(L"file"), "x"), files_.faults[L"create folders"] = {ERROR_ACCESS_DENIED, 0};
    const auto refusal = ErrorOf([&] { loaded.Save(bench.PathInRoot(L"file\\copy"), bench.PathInRoot(L"copy")); }) +
                         ErrorOf([&] { loaded.Load(bench.PathInRoot(L"file\\copy\\"), bench.PathInRoot(L"copy\\")); }) +
                         ErrorOf([&] { loaded.Save(bench.PathInRoot(L"new\xD800"), bench.PathInRoot(L"copy")); });
    EXPECT_NE(refusal.find("file\" is a file, not"), refusal.rfind("file\" is a file, not")) << refusal;
    EXPECT_NE(refusal.find("new\xEF\xBF\xBD\\\" cannot be created: access is denied"), std::string::npos) << refusal;
    // The copy keeps both flags, with the keys in their fixed order.
    EXPECT_TRUE(std::regex_search(
        bench.StoreBytes(bench.PathInRoot(L"copy\\"), bench.PathInRoot(L"copy\\")),
        std::regex(R"(^\{\n  "formatVersion": 1,\n  "role": "client",\n  "serverHost"[^,]+,\n  "serverPort"[^,]+,\n  )"
                   R"("secured": true,[\s\S]*w",\n  "systemSupplied": true\n\}\n)")));
    saved.SetClientName(L"WS-1", false), saved.LoadSystemDefaults(), saved.Save(true);  // the name and flags go too
    EXPECT_TRUE(bench.SystemSupplied(Store()) && ReadBytes(UserFile()).find("false") != std::string::npos &&
                bench.ReadAgentSettings() == L"localhost|9750|Administrator|");
}

// Planted in the agent's store (which holds "old-server" and "WS-OLD") before a load and a save
// of "new-server": the name, the plant, a pattern of Load's refusal ("" when it loads), the values
// it leaves, a part of Save's refusal ("" when it saves; nullptr: the same as Load's), the bytes
// of the damaged files the save keeps beside the store, and whether a refused save left user.json
// new (and says so; a part ending in "|" must end the refusal: the one that leaves user.json
// new must not go on to say that no file changed). Nothing else changes, no temporary file stays, and
// a file outside the store, where a link points, keeps its bytes.
using Planted = std::tuple<const char*, std::function<void(StoreTest&)>, const char*, const wchar_t*, const char*,
                           std::string, bool>;
class PlantedStoreTest : public StoreTest, public ::testing::WithParamInterface<Planted> {};

TEST_P(PlantedStoreTest, LoadAndSaveAreNeverMisledAndNothingIsLost) {
    const auto& [name, plant, loadError, loaded, saveErrorOrNull, keptBytes, userStuck] = GetParam();
    const std::string saveError = saveErrorOrNull != nullptr ? saveErrorOrNull : loadError;
    Settings(L"old-server", 1111, L"WS-OLD").Save(true), WriteBytes(Outside() + L"\\victim", "victim");
    files_.calls.clear(), plant(*this);  // faults count the calls from here on
    if (IsSkipped()) return;
    CorvexParameters parameters = Settings(L"kept", 1, L"WS-KEPT");  // a refused load leaves them as they were
    const std::string loadRefusal = ErrorOf([&] { parameters.Load(); }), bytesBefore = Bytes();
    const auto before = Files();
    const std::string saveRefusal = ErrorOf([&] { Settings(L"new-server", 2222, L"WS-NEW").Save(true); }) + "|";
    const std::string bytes = Bytes();
    std::vector<std::string> after;
    std::string kept;
    for (const auto& file : Files()) {
        // A kept copy is named for the time of the save: ".damaged-YYYYMMDD-HHMMSS".
        const bool damaged = file.size() > 24 && file.find(".damaged-") == file.size() - 24;
        damaged ? void(kept += ReadBytes(Store() + fs::path(file).filename().wstring())) : after.push_back(file);
    }
    const bool saved = saveError.empty();
    EXPECT_EQ(std::make_tuple(*loadError ? std::regex_search(loadRefusal, std::regex(loadError)) : loadRefusal.empty(),
                              testing_support::Show(parameters), saveRefusal.find(saveError) != saveRefusal.npos, after,
                              bytes.find("new-server") != bytes.npos, saved || userStuck || bytes == bytesBefore, kept,
                              FilesBelow(Outside()), ReadBytes(Outside() + L"\\victim")),
              std::make_tuple(true, std::wstring(loaded), true, before, saved || userStuck, true, keptBytes,
                              std::vector<std::string>{"victim"}, "victim"))
        << loadRefusal << " | " << saveRefusal;
}

using T = StoreTest;
const wchar_t kOld[] = L"old-server|1111|Administrator|WS-OLD", kNoName[] = L"old-server|1111|Administrator|",
              kDefaults[] = L"localhost|9750|Administrator|", kKept[] = L"kept|1|Administrator|WS-KEPT",
              kUserDamaged[] = L"localhost|9750|Administrator|WS-OLD";  // user.json's values the defaults
const std::string kUtf16("\xff\xfe{\0}\0", 6);
// The stored files with one thing changed.
std::string User(const std::string& from, const std::string& to) {
    std::string bytes = R"({"formatVersion": 1, "role": "client", "serverHost": "old-server", )"
                        R"("serverPort": 1111, "secured": false, "login": "Administrator"})";
    return bytes.replace(bytes.find(from), from.size(), to);
}
// Good JSON, but larger than a settings file may be.
const std::string kBig = "{" + std::string(70 * 1024, ' ') + User("{", ""), kServerRole = User("client", "server");
const std::string kDashName = R"({"formatVersion":1,"role":"client","workstationName":"-ws","systemSupplied":false})";
// An empty name stands for the computer's own name, stored as typed too (an administrator's edit): no damage.
const std::string kTypedNoName = std::string(kDashName).erase(kDashName.find("-ws"), 3);
const std::string kServerWs = std::string(kTypedNoName).replace(kTypedNoName.find("client"), 6, "server");
// clang-format off
const char kPutBack[] = "user.json\" already held the new settings and could not be put back; the other files were "
    "left as they were.|", kReplaced[] = "workstation.json\" cannot be replaced: another program has locked a part "
    "of the file. No settings file was changed.";
INSTANTIATE_TEST_SUITE_P(Store, PlantedStoreTest, ::testing::ValuesIn(std::vector<Planted>{
    // Damaged files: each counts alone, and a save keeps it beside the store first.
    {"BothDamaged", [](T& t) { WriteBytes(t.UserFile(), ""), WriteBytes(t.WorkstationFile(), kDashName); },
     "unexpected end of input[^\"]+\"[^\"]+user.json.damaged-<date>-<time>\". The settings file "
     "\"[^\"]+workstation.json\" is damaged: the value of \"workstationName\" .\"-ws\". is refused",
     kKept, "", kDashName, false},
    {"FileAbove64KiB", [](T& t) { WriteBytes(t.UserFile(), kBig); }, "larger than 64 KiB", kKept, "", kBig, false},
    {"StoredNameRefused", [](T& t) { WriteBytes(t.WorkstationFile(), kDashName); }, "", kNoName, "", kDashName, false},
    {"StoredEmptyTypedName", [](T& t) { WriteBytes(t.WorkstationFile(), kTypedNoName); }, "", kNoName, "", "", false},
    // Both files a server's: neither loads, each is kept when replaced.
    {"AnotherRole", [](T& t) { WriteBytes(t.UserFile(), kServerRole), WriteBytes(t.WorkstationFile(), kServerWs); },
     "workstation.json\" is damaged: it holds[^\"]+\"server\"", kKept, "", kServerRole + kServerWs, false},
    // Links, names in the wrong place and a stranger's folder.
    {"LinkAtSettings", [](T& t) { t.LinkAt(t.Store().substr(0, t.Store().size() - 1), t.Outside()); },
     "Settings\" is a link", kKept, nullptr, "", false},
    {"LinkAtUserJson", [](T& t) { t.LinkAt(t.UserFile(), t.Outside() + L"\\victim"); }, "user.json\" is a link",
     kKept, nullptr, "", false},
    {"FileWhereSettingsShouldBe",
     [](T& t) { fs::remove_all(Native(t.Store())), WriteBytes(t.Store().substr(0, t.Store().size() - 1), "x"); },
     "Settings\" is a file, not a folder", kKept, nullptr, "", false},
    {"FolderAtUserJson", [](T& t) { fs::remove(Native(t.UserFile())), fs::create_directory(Native(t.UserFile())); },
     "user.json\" is a folder.+the default", kKept, "Remove that folder. No settings file was changed.", "", false},
    {"QuentaraOwnedByAStranger", [](T& t) { if (::geteuid() != 0) GTEST_SKIP() << "only root can give a folder away";
         ASSERT_EQ(::chown(Native(t.bench.folders.programData + L"\\Quentara").c_str(), 4242, 4242), 0);
     }, "belongs to 4242, who is not an administrator", kKept, nullptr, "", false},
    {"OpenFolderThatCannotBeProtected", [](T& t) {
         fs::permissions(Native(t.Store()), fs::perms::all), t.files_.faults[L"restrict"] = {ERROR_ACCESS_DENIED, 0};
     }, "", kOld, "Settings\" cannot be protected: access is denied. No settings file was changed.", "", false},
    // Saves failing part-way: the pair is replaced all together or not at all.
    {"SecondReplaceBlocked", [](T& t) { t.files_.faults[L"replace"] = {33, 2}; }, "", kOld, kReplaced, "", false},
    {"FileHeldForAMoment", [](T& t) { t.files_.faults[L"replace"] = {32, 1}; }, "", kOld, "", "", false},
    {"PuttingBackBlocked", [](T& t) { t.files_.faults[L"replace"] = {32, -2}; }, "", kOld, kPutBack, "", true},
    {"FolderGone", [](T& t) { t.files_.faults[L"replace"] = {3, 1}; }, "", kOld, "the folder does not exist. No", "", false},
    {"ReadOnlyFile", [](T& t) { fs::permissions(Native(t.WorkstationFile()), fs::perms::owner_read); }, "", kOld,
     "workstation.json\" is marked read-only, so the settings cannot be saved. Clear that mark", "", false},
    {"UnreadableFile", [](T& t) { t.files_.faults[L"read"] = {5, -2}; }, "workstation.json\" cannot be read", kKept,
     "user.json\" cannot be read before it is replaced: access is denied. No settings file was changed.", "", false},
    // Made by a program run without administrator rights, it would be its user's: the system refuses the owner.
    {"Uncreatable", [](T& t) { fs::remove_all(Native(t.Store())), t.files_.faults[L"create store folder"] = {1307, 0}; },
     "", kDefaults, "Settings\" cannot be created: only an administrator may create it; run the program as an "
     "administrator. No settings file was changed.", "", false},
    {"FirstSaveSecondReplaceBlocked", [](T& t) {
         fs::remove(Native(t.UserFile())), fs::remove(Native(t.WorkstationFile()));
         t.files_.faults[L"replace"] = {ERROR_FILE_NOT_FOUND, 2};
     }, "", kDefaults, "replaced: the file does not exist. No settings", "", false},
    {"DamagedFileAndReplaceLocked",  // the damaged user.json put back
     [](T& t) { WriteBytes(t.UserFile(), kUtf16), t.files_.faults[L"replace"] = {33, 2}; }, "", kUserDamaged,
     "cannot be replaced: another program has locked a part of the file. No settings file was changed.", "", false},
    {"DamagedFileAndPuttingBackFails",
     [](T& t) { WriteBytes(t.WorkstationFile(), kUtf16), t.files_.faults = {{L"replace", {33, 2}}, {L"write", {112, 4}}}; },
     "", kNoName, "workstation.json.damaged-", kUtf16, true},
    {"DamagedFileAndDiskFull", [](T& t) {  // and no user.json
         fs::remove(Native(t.UserFile())), WriteBytes(t.WorkstationFile(), kUtf16);
         t.files_.faults[L"write"] = {112, 3};
     }, "workstation.json\" is damaged", kKept,
     "workstation.json\" cannot be written: the disk is full. No settings file was changed.", "", false},
    {"DamagedFileNotKept", [](T& t) { WriteBytes(t.WorkstationFile(), kUtf16), t.files_.faults[L"write"] = {1117, 1}; },
     "", kNoName, "workstation.json\" is damaged and cannot be kept before it is replaced: system error 1117", "", false},
    // A file too large to keep a copy of is not replaced.
    {"FileAbove16MiB", [](T& t) { WriteBytes(t.UserFile(), std::string((16 << 20) + 1, ' ')); }, "larger than 64 KiB",
     kKept, "larger than 16 MiB; move it away first", "", false}}),
    [](const auto& info) { return std::string(std::get<0>(info.param)); });
// clang-format on

// A file that another program holds for longer is tried ten times more, a tenth of a second apart on
// the program's clock, before the save gives up.
TEST_F(StoreTest, AFileHeldForLongerIsTriedTenTimesMore) {
    Settings(L"old-server", 1111, L"WS-OLD").Save(true), files_.calls.clear(), files_.faults[L"replace"] = {32, 0};
    const std::string refusal = ErrorOf([&] { Settings(L"new-server", 2222, L"WS-NEW").Save(true); });
    EXPECT_EQ(std::make_tuple(refusal.find("user.json\" cannot be replaced: another program") != refusal.npos,
                              Calls(L"replace ").size(), bench.clock.sleeps),
              std::make_tuple(true, std::size_t{11}, std::vector<DWORD>(10, 100)))
        << refusal;
}

// What a damaged file's message says is wrong and where (in characters, not bytes; a byte order
// mark is none), quoting the file's text as its characters, cut to 40. More follows it in the
// message, so no full stop ends it. A reason ending in "|" is the reason's end.
// clang-format off
const std::vector<std::pair<std::string, std::string>> kDamagedFiles{{"\0{\0}"s, "16 (big-endian, without"},
    {"\0\0\xfe\xff\0\0\0{"s, "32 (big-endian, with a"}, {"\xff\xfe\0\0"s, "32 (little-endian, with a"},
    {"{\0\0\0"s, "32 (little-endian, without"}, {"\xfe\xff\0{"s, "16 (big-endian, with a"},
    {"{\0}\0"s, "16 (little-endian, without"}, {"\0\0\0{"s, "32 (big-endian, without"},
    {"\xef\xbb\xbf{\"\xc3\xa9\0\0"s, "(a zero byte) at line 1, column 4"}, {kUtf16, "16 (little-endian, with a"},
    {"{\xe9}", "0xE9 at line 1, column 2 is not part of a UTF-8 character (the file may have been saved in another "
     "encoding, such as Windows-1252); save it again with the encoding UTF-8|"},
    {User("1111", "1e999"), "number overflow"},
    {"{\n\"\xc3\xa9\": tru\xe6\xb8\xac}", "(parse error at line 2, column 9: syntax error while parsing value - "
     "invalid literal; last read: \"\"\xc3\xa9\": tru\xe6\xb8\xac\")|"}, {"[1]", "not hold a JSON object"},
    {"{\"k\": \"" + std::string(200, 'a') + "\n", "last read: \"..." + std::string(32, 'a') + "<U+000A>\""},
    {User("}", ", \"" + std::string(200, 'k') + "\":{\"role\":1}}"), "unknown key \"" + std::string(40, 'k') + "...\""},
    {User("\"secured\": false, ", ""), "the key \"secured\" is missing"}, {User("1,", "0,"), "not a positive"},
    {User("\"login\"", "\"x\": {}, \"role\": \"client\", \"login\""), "the key \"role\" appears more than once"},
    {User("1,", "2, \"proxy\": 1,"), "version 2 by a newer program; this one reads version 1|"},
    {User("\"old-server\"", "{}"), "\"serverHost\" is not a text"}, {User("false", "\"no\""), "is not true or false"},
    {User("\"old-server\", \"serverPort\": 1111", "\"\", \"serverPort\": 0"), "\"serverHost\" (\"\") is refused"},
    {User("1,", "1.7,"), "not a positive"}, {User("\"Administrator\"", "\"a@@" + std::string(60, 'c') + "\""),
     "\"login\" (\"a@@" + std::string(37, 'c') + "...\") is refused: The backup administrator login"},
    {"{\r\n/**/}", "line 2, column 1: syntax"},
    {"\xef\xbb\xbf" + User("1111", "0"), "\"serverPort\" (0) is refused: The server port must be a number from 1 to 65535|"},
    {User("Administrator", "a\\u0000\xe2\x80\xae"), "(\"a<U+0000><U+202E>\") is refused"},
    {User("client\", \"serverHost\": \"old-server", "server\", \"serverHost\": \"0.0.0.0"),
     "the role \"server\", not \"client\"|"}, {User("1111", "9750.5"), "1 to 65535"},
    {User("1111", "65536"), "\"serverPort\" is not a whole number from 1 to 65535|"},
    {User("Administrator", "CORP\\backup"), "(\"CORP<U+0008>ackup\") is refused: The backup administrator login "
     "contains a control character (such as a tab or a line break). Remove it (where the file shows a backslash before "
     "b, t, n, f or r, write the backslash twice)|"}};
// clang-format on
TEST(SettingsFormatTest, TellsWhatIsWrongAndWhere) {
    for (const auto& [bytes, reason] : kDamagedFiles) {
        const std::string message = ErrorOf([&] { params::ParseUserSettings(bytes, L"client"); });
        EXPECT_TRUE((message + "|").find(reason) != std::string::npos && message.back() != '.') << message;
    }
}

}  // namespace
