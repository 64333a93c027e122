// Who may change the agent's settings: every save of the agent's own store gives its folder
// the store's rights before any file is written (the files then inherit them); the kit's
// predefined settings in the user's folders keep what they inherit; a folder that cannot be
// protected stops the save with a message and changes no file.
#include <gtest/gtest.h>
#include <sys/stat.h>

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

    // The position of the first call that starts with `prefix`; -1 when none.
    int IndexOf(const std::wstring& prefix) const {
        for (std::size_t i = 0; i < faulty_.calls.size(); ++i) {
            if (faulty_.calls[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
        }
        return -1;
    }

    platform::FaultyFileSystem faulty_;
};

TEST_F(StoreRightsTest, TheAgentStoreIsRestrictedOnceBeforeAnyFileIsWrittenOnEverySave) {
    for (bool createStore : {true, false}) {  // a new store, then the existing one
        faulty_.calls.clear();
        Valid().Save(createStore);
        const int restricted = IndexOf(L"restrict " + AgentStore());
        ASSERT_GE(restricted, 0) << "the store's folder did not get its rights";
        EXPECT_LT(restricted, IndexOf(L"write ")) << "temporary files must be created under the new rights";
        if (createStore) {
            EXPECT_LT(IndexOf(L"create folders"), restricted);
        }
        int times = 0;
        for (const auto& call : faulty_.calls) times += call.compare(0, 9, L"restrict ") == 0 ? 1 : 0;
        EXPECT_EQ(times, 1) << "both files share the folder: its rights are set once";
    }
}

TEST_F(StoreRightsTest, OnDiskTheStoreFolderIsWritableByItsOwnerOnly) {
    // A store folder that someone opened to everybody is closed again by the next save.
    params_test::WriteBytes(AgentUserFile(), "");
    const std::string folder = platform::PortableFileSystem::NativePath(AgentStore());
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
    Valid().Save(true);
    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
}

TEST_F(StoreRightsTest, ThePredefinedSettingsFoldersKeepTheirInheritedRights) {
    Valid().Save(temp_.Wide() + L"\\Kit\\User\\", temp_.Wide() + L"\\Kit\\Workstation\\");
    EXPECT_EQ(IndexOf(L"restrict "), -1);
}

TEST_F(StoreRightsTest, AStoreThatCannotBeProtectedStopsTheSaveAndChangesNothing) {
    Valid().Save(true);
    const std::string before = ReadBytes(AgentUserFile()) + ReadBytes(AgentWorkstationFile());
    faulty_.restrictFault = {ERROR_ACCESS_DENIED, 0};
    CorvexParameters changed = Valid();
    changed.SetCoordinator(L"other.example.com", 1, false);
    const std::string error = params_test::ErrorOf([&] { changed.Save(true); });
    EXPECT_NE(error.find("cannot be protected"), std::string::npos) << error;
    EXPECT_NE(error.find("access is denied"), std::string::npos) << error;
    EXPECT_NE(error.find("Settings"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(AgentUserFile()) + ReadBytes(AgentWorkstationFile()), before);
    EXPECT_EQ(params_test::FilesBelow(temp_.Native()).size(), 2u) << "no temporary file";
}

}  // namespace
