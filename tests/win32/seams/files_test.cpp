// The file system seam over the real Win32 calls: the store folder's owner, create-new, and the
// read limit. (The save's steps, the store's access list and its refusal of links are decided
// over the seam in the native tests; Wine keeps no access lists and makes no links.)
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "platform/win32/win32_file_system.h"

namespace {

const DWORD kOk = ERROR_SUCCESS;

TEST(Win32Files, TheStoreFolderHasAnAdministratorOwnerAndANewFileNeverOpensWhatIsThere) {
    wchar_t temp[MAX_PATH + 1] = {};  // a fresh folder, a name outside the Basic Multilingual Plane in it
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"corvex-files-" + std::to_wstring(::GetCurrentProcessId()) +
                              L"-\u00e9\U0001F600",
                       folder = root + L"\\Settings";
    ::CreateDirectoryW(root.c_str(), nullptr);
    platform::Win32FileSystem files;
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
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

}  // namespace
