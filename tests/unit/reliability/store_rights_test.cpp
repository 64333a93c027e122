// Who may change the agent's settings: a save creates the store's folders and files with the
// store's rights given at their creation (nothing is created first and protected later);
// the kit's predefined settings in the user's folders keep what they inherit; a folder that
// others may change and that cannot be protected stops the save with a message and changes
// no file. (Links, strangers' folders and misplaced files: the attack table in
// tests/unit/params/atomic_save_test.cpp.)
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "../params/params_fixture.h"
#include "params/corvex_parameters.h"
#include "platform/fake/faulty_file_system.h"

namespace {

using params_test::ReadBytes;

class StoreRightsTest : public params_test::ParamsOnDisk {
protected:
    StoreRightsTest() : faulty_(disk_) { Use(faulty_); }

    static CorvexParameters Valid() {
        CorvexParameters parameters(L"client");
        parameters.SetCoordinator(L"backup.example.com", 9750, false);
        parameters.SetClientName(L"", true);
        return parameters;
    }

    // The calls that start with `prefix`.
    std::vector<std::wstring> Calls(const std::wstring& prefix) const {
        std::vector<std::wstring> found;
        for (const auto& call : faulty_.calls) {
            if (call.compare(0, prefix.size(), prefix) == 0) found.push_back(call);
        }
        return found;
    }

    platform::FaultyFileSystem faulty_;
};

TEST_F(StoreRightsTest, ANewStoreIsCreatedWithItsRightsFromTheFirstFolderBelowProgramData) {
    Valid().Save(true);
    const std::wstring quentara = folders_.programData + L"\\Quentara";
    EXPECT_EQ(Calls(L"create store folder "),
              (std::vector<std::wstring>{L"create store folder " + quentara,
                                         L"create store folder " + quentara + L"\\Corvex Workstation",
                                         L"create store folder " + quentara + L"\\Corvex Workstation\\Settings"}));
    EXPECT_TRUE(Calls(L"restrict ").empty()) << "created with its rights, nothing to repair";
    EXPECT_EQ(Calls(L"write protected ").size(), 2u);
    EXPECT_EQ(Calls(L"write ").size(), 2u) << "every file of the store is written with the store's rights";
}

TEST_F(StoreRightsTest, ThePredefinedSettingsFoldersKeepTheirInheritedRights) {
    Valid().Save(temp_.Wide() + L"\\Kit\\User\\", temp_.Wide() + L"\\Kit\\Workstation\\");
    EXPECT_TRUE(Calls(L"restrict ").empty());
    EXPECT_TRUE(Calls(L"create store folder ").empty());
    EXPECT_TRUE(Calls(L"write protected ").empty());
    EXPECT_EQ(Calls(L"write ").size(), 2u);
}

TEST_F(StoreRightsTest, AStoreThatCannotBeProtectedStopsTheSaveAndChangesNothing) {
    Valid().Save(true);
    const std::string before = ReadBytes(AgentUserFile()) + ReadBytes(AgentWorkstationFile());
    std::filesystem::permissions(platform::PortableFileSystem::NativePath(AgentStore()), std::filesystem::perms::all);
    faulty_.restrictFault = {ERROR_ACCESS_DENIED, 0};
    CorvexParameters changed = Valid();
    changed.SetCoordinator(L"other.example.com", 1, false);
    const std::string error = params_test::ErrorOf([&] { changed.Save(true); });
    EXPECT_NE(error.find("Settings\" cannot be protected: access is denied. No settings file was changed."),
              std::string::npos)
        << error;
    EXPECT_EQ(ReadBytes(AgentUserFile()) + ReadBytes(AgentWorkstationFile()), before);
    EXPECT_EQ(params_test::FilesBelow(temp_.Native()).size(), 2u) << "no temporary file";
}

}  // namespace
