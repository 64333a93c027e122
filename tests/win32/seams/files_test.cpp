// The file system seam and the settings store over the real Win32 calls: UTF-16 paths and
// values, the temporary-then-replace save, a replace blocked by another program's handle, the
// store's rights and owner, create-new, and links. Wine keeps no access lists and cannot make
// links from a Windows program: those parts skip there (the end-to-end suite plants Unix links).
#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

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
class Win32FilesTest : public ::testing::Test {
protected:
    Win32FilesTest() {
        wchar_t temp[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH, temp);
        root = std::wstring(temp) + L"corvex-files-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
               std::to_wstring(::GetTickCount()) + L"-\u00e9\U0001F600\\";
        ::CreateDirectoryW(root.c_str(), nullptr);
        folders.programData = root + L"ProgramData";
        platform::Seams seams;
        seams.files = &files;
        seams.folders = &folders;
        previous = platform::Install(seams);
    }
    ~Win32FilesTest() override {
        platform::Install(previous);
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    std::string Bytes(const std::wstring& path) {
        std::string bytes;
        EXPECT_EQ(files.ReadWholeFile(path, 1 << 20, bytes), kOk);
        return bytes;
    }
    // The object's owner and access list as SDDL.
    static std::wstring Security(const std::wstring& path) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
        LPWSTR text = nullptr;
        std::wstring sddl;
        if (::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, what, nullptr, nullptr, nullptr, nullptr,
                                    &descriptor) == ERROR_SUCCESS &&
            ::ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, what, &text, nullptr)) {
            sddl = text;
            ::LocalFree(text);
        }
        ::LocalFree(descriptor);
        return sddl;
    }

    platform::Win32FileSystem files;
    platform::FakeKnownFolders folders;
    platform::Seams previous;
    std::wstring root;
};

TEST_F(Win32FilesTest, FileOperationsWorkOnUtf16Paths) {
    const std::wstring folder = root + L"a\\b\\";
    ASSERT_EQ(files.CreateFolders(folder), kOk);
    EXPECT_EQ(files.CreateFolders(folder), kOk) << "an existing folder is fine";
    EXPECT_NE(files.GetAttributes(folder) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    ASSERT_EQ(files.WriteNewFile(folder + L"new", "new bytes", false), kOk);
    ASSERT_EQ(files.WriteNewFile(folder + L"old", "old", false), kOk);
    ASSERT_EQ(files.Replace(folder + L"new", folder + L"old"), kOk);
    EXPECT_EQ(Bytes(folder + L"old"), "new bytes");
    EXPECT_EQ(files.GetAttributes(folder + L"new"), INVALID_FILE_ATTRIBUTES);
    std::string bytes;
    EXPECT_EQ(files.ReadWholeFile(folder + L"old", 3, bytes), platform::ERROR_FILE_TOO_LARGE_FOR_READ);
    EXPECT_EQ(files.Remove(folder + L"old"), kOk);
    EXPECT_EQ(files.ReadWholeFile(folder + L"old", 100, bytes), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(files.ReadWholeFile(root + L"none\\x", 100, bytes), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

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

TEST_F(Win32FilesTest, TheStoreGetsItsRightsAndAnAdministratorOwnerAndANewFileNeverOpensWhatIsThere) {
    const std::wstring folder = root + L"Settings";
    ASSERT_EQ(files.CreateStoreFolder(folder), kOk);
    EXPECT_EQ(files.CreateStoreFolder(folder), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    ASSERT_EQ(files.WriteNewFile(folder + L"\\user.json", "{}", true), kOk);
    EXPECT_EQ(files.WriteNewFile(folder + L"\\user.json", "planted", true), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(Bytes(folder + L"\\user.json"), "{}");
    platform::FolderOwnership ownership;
    ASSERT_EQ(files.GetOwnership(folder, ownership), kOk);
    EXPECT_TRUE(ownership.ownerIsAdministrator) << testing::PrintToString(ownership.owner);
    EXPECT_FALSE(ownership.othersMayChange);
    for (const std::wstring& path : {folder, folder + L"\\user.json"}) {
        const std::wstring sddl = Security(path);
        const std::wstring dacl = sddl.substr(sddl.find(L"D:"));
        if (dacl.compare(0, 3, L"D:P") != 0) GTEST_SKIP() << "no access lists kept: " << testing::PrintToString(sddl);
        EXPECT_NE(dacl.find(L"FA;;;SY)"), std::wstring::npos);
        EXPECT_NE(dacl.find(L"FA;;;BA)"), std::wstring::npos);
        EXPECT_EQ(dacl.find(L"FA;;;BU)"), std::wstring::npos) << "users may not change the store";
        EXPECT_EQ(dacl.find(L";;;WD)"), std::wstring::npos) << "nothing for everyone";
    }
}

TEST_F(Win32FilesTest, ASaveRefusesALinkInTheStoreAndWritesNothingThroughIt) {
    const std::wstring elsewhere = root + L"elsewhere";
    ASSERT_TRUE(::CreateDirectoryW(elsewhere.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(folders.programData.c_str(), nullptr));
    const std::wstring link = folders.programData + L"\\Quentara";
    if (!::CreateSymbolicLinkW(link.c_str(), elsewhere.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) ||
        files.GetAttributes(link) == INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "no symbolic links here";
    }
    EXPECT_NE(files.GetAttributes(link) & FILE_ATTRIBUTE_REPARSE_POINT, 0u) << "a link not reported as one";
    CorvexParameters parameters(L"client");
    try {
        parameters.Save(true);
        ADD_FAILURE() << "saved through a link";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("Quentara\" is a link"), std::string::npos) << e.what();
    }
    EXPECT_EQ(files.GetAttributes(elsewhere + L"\\Corvex Workstation"), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
