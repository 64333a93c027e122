// The file system seam over the real Win32 calls: the store folder's owner, create-new, the
// read limit, and values outside the Basic Multilingual Plane, which take two UTF-16 units here
// (one natively). (The save's steps, the store's access list and its refusal of links are
// decided over the seam in the native tests; Wine keeps no access lists and makes no links.)
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "params/corvex_parameters.h"
#include "platform/fake/fake_known_folders.h"
#include "platform/platform.h"
#include "platform/win32/win32_file_system.h"

namespace {

const DWORD kOk = ERROR_SUCCESS;

// A fresh folder (Wine reuses process ids), a name outside the Basic Multilingual Plane in it,
// removed afterwards.
struct Win32Files : ::testing::Test {
    Win32Files() { ::CreateDirectoryW(root.c_str(), nullptr); }
    ~Win32Files() override { std::filesystem::remove_all(root, ignored); }
    static std::wstring Fresh() {
        wchar_t temp[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH, temp);
        return std::wstring(temp) + L"corvex-files-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
               std::to_wstring(::GetTickCount()) + L"-\u00e9\U0001F600\\";
    }
    const std::wstring root = Fresh();
    platform::Win32FileSystem files;
    std::error_code ignored;
};

// A value with a surrogate pair is stored as UTF-8 and read back whole; a refused character
// outside the plane is quoted whole in the refusal, not as half of its pair.
TEST_F(Win32Files, ValuesOutsideTheBasicPlaneKeepTheirSurrogatePairsWhole) {
    platform::FakeKnownFolders folders;
    platform::ScopedSeams seams{{nullptr, nullptr, &files, nullptr, nullptr, nullptr, nullptr, &folders}};
    CorvexParameters saved(L"client"), loaded(L"client"), refused(L"client");
    saved.SetUserName(L"CORP\\J\u00fcrgen\U0001F600");
    saved.Save(root, root);
    loaded.Load(root, root);
    EXPECT_EQ(loaded.GetAllowedUserName(), L"CORP\\J\u00fcrgen\U0001F600");
    refused.SetClientName(L"ws\U0001F600", false);
    try {
        refused.Save(root + L"x\\", root + L"x\\");
        ADD_FAILURE() << "accepted";
    } catch (const CorvexParameters::ValidationError& e) {
        EXPECT_NE(e.GetText().find(L"contains \"\U0001F600\"."), std::wstring::npos)
            << testing::PrintToString(e.GetText());
    }
}

TEST_F(Win32Files, TheStoreFolderHasAnAdministratorOwnerAndANewFileNeverOpensWhatIsThere) {
    const std::wstring folder = root + L"Settings";
    ASSERT_EQ(files.CreateStoreFolder(folder), kOk);
    EXPECT_EQ(files.CreateStoreFolder(folder), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    ASSERT_EQ(files.WriteNewFile(folder + L"\\user.json", "{}", true), kOk);
    EXPECT_EQ(files.WriteNewFile(folder + L"\\user.json", "planted", true), static_cast<DWORD>(ERROR_FILE_EXISTS));
    std::string bytes;  // a file of exactly the limit is read, one byte more is refused
    EXPECT_EQ(std::make_tuple(files.ReadWholeFile(folder + L"\\user.json", 2, bytes), bytes,
                              files.ReadWholeFile(folder + L"\\user.json", 1, bytes)),
              std::make_tuple(kOk, std::string("{}"), platform::ERROR_FILE_TOO_LARGE_FOR_READ));
    platform::FolderOwnership ownership;
    ASSERT_EQ(files.GetOwnership(folder, ownership), kOk);
    EXPECT_TRUE(ownership.ownerIsAdministrator) << testing::PrintToString(ownership.owner);
    EXPECT_FALSE(ownership.othersMayChange);
}

}  // namespace
