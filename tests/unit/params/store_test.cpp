// The store on a real temporary folder: a round trip and the rights a save gives.
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
    CorvexParameters loaded(L"client");  // the flag comes back with a load; folders without their backslash
    loaded.Load();
    loaded.Save(bench.PathInRoot(L"copy"), bench.PathInRoot(L"copy"));
    EXPECT_NE(ReadBytes(bench.PathInRoot(L"copy\\user.json")).find("\"secured\": true"), std::string::npos);
}

}  // namespace
