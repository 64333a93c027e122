// The file system seam and the settings store over the real Win32 calls: UTF-16 paths and
// values, the temporary-then-replace save, a replace blocked by another program's handle, the
// store folder's owner and create-new. (The store's access list and its refusal of links are
// decided over the seam in the native tests; Wine keeps no access lists and makes no links.)
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <tuple>

#include "params/corvex_parameters.h"
#include "platform/fake/fake_known_folders.h"
#include "platform/platform.h"
#include "platform/win32/win32_seams.h"

namespace {

const DWORD kOk = ERROR_SUCCESS;

// A fresh folder (a name outside the Basic Multilingual Plane in it), removed afterwards.
std::wstring FreshFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"corvex-files-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                              std::to_wstring(::GetTickCount()) + L"-\u00e9\U0001F600\\";
    ::CreateDirectoryW(root.c_str(), nullptr);
    return root;
}

class Win32FilesTest : public ::testing::Test {
protected:
    Win32FilesTest() { folders.programData = root + L"ProgramData"; }
    ~Win32FilesTest() override { std::filesystem::remove_all(root, ignored); }
    std::string Bytes(const std::wstring& path) {
        std::string bytes;
        EXPECT_EQ(files.ReadWholeFile(path, 1 << 20, bytes), kOk);
        return bytes;
    }
    const std::wstring root = FreshFolder();
    platform::Win32FileSystem files;
    platform::FakeKnownFolders folders;
    platform::ScopedSeams seams{{nullptr, nullptr, &files, nullptr, nullptr, nullptr, nullptr, &folders}};
    std::error_code ignored;
};

// A value with surrogate pairs (wchar_t has 16 bits here) is stored as UTF-8 and read back
// whole; a replace that another program's open handle blocks changes nothing.
TEST_F(Win32FilesTest, SurrogatePairsRoundTripAndATargetHeldOpenKeepsItsBytes) {
    const std::wstring login = L"CORP\\J\u00fcrgen\U0001F600";
    CorvexParameters first(L"client");
    first.SetUserName(login);
    first.Save(root, root);
    const std::string before = Bytes(root + L"user.json");
    EXPECT_NE(before.find("J\xc3\xbcrgen\xf0\x9f\x98\x80"), std::string::npos);
    const HANDLE held = ::CreateFileW((root + L"user.json").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    CorvexParameters second(L"client");
    second.SetCoordinator(L"other-server", 1234, false);
    EXPECT_THROW(second.Save(root, root), std::runtime_error);
    ::CloseHandle(held);
    EXPECT_EQ(Bytes(root + L"user.json"), before);
    CorvexParameters loaded(L"client");
    loaded.Load(root, root);
    EXPECT_EQ(loaded.GetAllowedUserName(), login);
    // A refused character outside the Basic Multilingual Plane is judged and quoted whole.
    for (const auto& bad : {std::make_tuple(L"ws\U0001F600", L"CORP\\backup", L"contains \"\U0001F600\"."),
                            std::make_tuple(L"WS-1", L"CORP\\user\U000E0041", L"(U+E0041,")}) {  // a format character
        CorvexParameters refused(L"client");
        refused.SetClientName(std::get<0>(bad), false);
        refused.SetUserName(std::get<1>(bad));
        try {
            refused.Save(root + L"x\\", root + L"x\\");
            ADD_FAILURE() << "accepted";
        } catch (const CorvexParameters::ValidationError& e) {
            EXPECT_NE(e.GetText().find(std::get<2>(bad)), std::wstring::npos) << testing::PrintToString(e.GetText());
        }
    }
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(root)) entries += entry.is_regular_file();
    EXPECT_EQ(entries, 2) << "a temporary file was left";
}

TEST_F(Win32FilesTest, TheStoreFolderHasAnAdministratorOwnerAndANewFileNeverOpensWhatIsThere) {
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
