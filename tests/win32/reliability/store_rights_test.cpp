// The agent store's rights and its guard against links through the real Win32 file system
// seam: folders and files are created with the protected list (read back with their owner),
// a new file never opens what is at its name, links are reported and never followed, and a
// save of the agent's store refuses a link planted in it. Wine keeps no access lists on its
// files (the list reads back as the default): there the read-back parts are skipped and run
// on Windows; what Wine does keep (owners as it reports them, create-new) is checked. Wine
// cannot make links from a Windows program: the link cases skip there and the end-to-end
// suite plants Unix links instead (tests/e2e/test_store.py).
#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <stdexcept>
#include <string>

#include "params/corvex_parameters.h"
#include "platform/fake/fake_known_folders.h"
#include "platform/platform.h"
#include "platform/win32/win32_seams.h"

namespace {

// The object's owner and access list as SDDL ("" when they cannot be read).
std::wstring SecurityOf(const std::wstring& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    std::wstring name = path;
    const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    if (::GetNamedSecurityInfoW(&name[0], SE_FILE_OBJECT, what, nullptr, nullptr, nullptr, nullptr, &descriptor) !=
        ERROR_SUCCESS) {
        return std::wstring();
    }
    LPWSTR text = nullptr;
    std::wstring sddl;
    if (::ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, what, &text, nullptr)) {
        sddl = text;
        ::LocalFree(text);
    }
    ::LocalFree(descriptor);
    return sddl;
}

std::wstring DaclOf(const std::wstring& sddl) {
    const auto at = sddl.find(L"D:");
    return at == std::wstring::npos ? std::wstring() : sddl.substr(at);
}

// What only the administrators may change: protected, full control for SYSTEM and the
// Administrators, nothing more than reading for anyone else.
void ExpectStoreRights(const std::wstring& sddl) {
    const std::wstring dacl = DaclOf(sddl);
    EXPECT_EQ(dacl.compare(0, 3, L"D:P"), 0) << "not protected: " << testing::PrintToString(sddl);
    EXPECT_NE(dacl.find(L"FA;;;SY)"), std::wstring::npos) << testing::PrintToString(sddl);
    EXPECT_NE(dacl.find(L"FA;;;BA)"), std::wstring::npos) << testing::PrintToString(sddl);
    EXPECT_EQ(dacl.find(L"FA;;;BU)"), std::wstring::npos) << "users may not change the store";
    EXPECT_EQ(dacl.find(L";;;WD)"), std::wstring::npos) << "nothing for everyone";
    const std::wstring owner = sddl.substr(0, sddl.find(L"D:"));
    EXPECT_TRUE(owner == L"O:BA" || owner == L"O:SY") << "owner " << testing::PrintToString(owner);
}

class Win32StoreRightsTest : public ::testing::Test {
protected:
    Win32StoreRightsTest() {
        wchar_t temp[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH, temp);
        root_ = std::wstring(temp) + L"corvex-rights-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                std::to_wstring(::GetTickCount());
        ::CreateDirectoryW(root_.c_str(), nullptr);
        folders_.programData = root_;
        platform::Seams seams;
        seams.files = &files_;
        seams.folders = &folders_;
        previous_ = platform::Install(seams);
    }
    ~Win32StoreRightsTest() override {
        platform::Install(previous_);
        RemoveTree(root_);
    }

    static void RemoveTree(const std::wstring& folder) {
        WIN32_FIND_DATAW found;
        const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring path = folder + L"\\" + name;
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                    !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                    RemoveTree(path);
                } else if (!::DeleteFileW(path.c_str())) {
                    ::RemoveDirectoryW(path.c_str());  // a link to a folder
                }
            } while (::FindNextFileW(search, &found));
            ::FindClose(search);
        }
        ::RemoveDirectoryW(folder.c_str());
    }

    // Whether this system kept the protected list given to the object at `path` (Wine does not:
    // it reports a list made from the file's Unix mode).
    static bool KeptTheList(const std::wstring& path) { return DaclOf(SecurityOf(path)).compare(0, 3, L"D:P") == 0; }

    // A symbolic link at `link` to the folder or file at `target`; false where none can be made
    // (Wine's CreateSymbolicLinkW answers success and makes nothing; the end-to-end suite plants
    // Unix links there).
    bool Link(const std::wstring& link, const std::wstring& target, bool folder) {
        return ::CreateSymbolicLinkW(link.c_str(), target.c_str(), folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) != 0 &&
               files_.GetAttributes(link) != INVALID_FILE_ATTRIBUTES;
    }

    platform::Win32FileSystem files_;
    platform::FakeKnownFolders folders_;
    platform::Seams previous_;
    std::wstring root_;
};

TEST_F(Win32StoreRightsTest, FoldersAndFilesGetTheStoreRightsAtCreationAndAnOwnerWhoIsAnAdministrator) {
    const std::wstring folder = root_ + L"\\Settings";
    ASSERT_EQ(files_.CreateStoreFolder(folder), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(files_.CreateStoreFolder(folder), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    ASSERT_EQ(files_.WriteNewFile(folder + L"\\user.json", "{}", true), static_cast<DWORD>(ERROR_SUCCESS));
    platform::FolderOwnership ownership;
    ASSERT_EQ(files_.GetOwnership(folder, ownership), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(ownership.ownerIsAdministrator) << testing::PrintToString(ownership.owner);
    EXPECT_FALSE(ownership.othersMayChange) << testing::PrintToString(SecurityOf(folder));
    if (!KeptTheList(folder)) GTEST_SKIP() << "no access lists kept: " << testing::PrintToString(SecurityOf(folder));
    ExpectStoreRights(SecurityOf(folder));
    ExpectStoreRights(SecurityOf(folder + L"\\user.json"));
}

TEST_F(Win32StoreRightsTest, AFolderThatOthersMayChangeIsSeenAndRepairedInPlace) {
    const std::wstring folder = root_ + L"\\Open";
    PSECURITY_DESCRIPTOR open = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;OICI;FA;;;WD)", SDDL_REVISION_1, &open,
                                                                       nullptr));
    SECURITY_ATTRIBUTES attributes{sizeof attributes, open, FALSE};
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), &attributes));
    ::LocalFree(open);
    if (DaclOf(SecurityOf(folder)).find(L"FA;;;WD)") == std::wstring::npos) {
        GTEST_SKIP() << "no access lists kept: " << testing::PrintToString(SecurityOf(folder));
    }
    platform::FolderOwnership ownership;
    ASSERT_EQ(files_.GetOwnership(folder, ownership), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(ownership.othersMayChange);
    ASSERT_EQ(files_.RestrictToAdministrators(folder), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_EQ(files_.GetOwnership(folder, ownership), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_FALSE(ownership.othersMayChange);
    ExpectStoreRights(SecurityOf(folder));
}

TEST_F(Win32StoreRightsTest, ANewFileNeverOpensWhatIsAtItsName) {
    const std::wstring victim = root_ + L"\\victim";
    ASSERT_EQ(files_.WriteNewFile(victim, "victim", false), static_cast<DWORD>(ERROR_SUCCESS));
    const DWORD again = files_.WriteNewFile(victim, "planted", true);
    EXPECT_TRUE(again == ERROR_FILE_EXISTS || again == ERROR_ALREADY_EXISTS) << again;
    ASSERT_TRUE(::CreateDirectoryW((root_ + L"\\folder.tmp").c_str(), nullptr));
    EXPECT_NE(files_.WriteNewFile(root_ + L"\\folder.tmp", "x", true), static_cast<DWORD>(ERROR_SUCCESS));
    if (Link(root_ + L"\\link.tmp", victim, false)) {
        EXPECT_NE(files_.WriteNewFile(root_ + L"\\link.tmp", "planted", true), static_cast<DWORD>(ERROR_SUCCESS));
    }
    std::string bytes;
    ASSERT_EQ(files_.ReadWholeFile(victim, 100, bytes), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(bytes, "victim");
}

TEST_F(Win32StoreRightsTest, ASaveRefusesALinkInTheStoreAndWritesNothingThroughIt) {
    const std::wstring elsewhere = root_ + L"\\elsewhere";
    ASSERT_TRUE(::CreateDirectoryW(elsewhere.c_str(), nullptr));
    if (!Link(root_ + L"\\Quentara", elsewhere, true)) GTEST_SKIP() << "no symbolic links here";
    ASSERT_NE(files_.GetAttributes(root_ + L"\\Quentara") & FILE_ATTRIBUTE_REPARSE_POINT, 0u)
        << "a link not reported as one";
    EXPECT_NE(files_.RestrictToAdministrators(root_ + L"\\Quentara"), static_cast<DWORD>(ERROR_SUCCESS));
    CorvexParameters parameters(L"client");
    try {
        parameters.Save(true);
        ADD_FAILURE() << "saved through a link";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("Quentara\" is a link"), std::string::npos) << e.what();
    }
    EXPECT_EQ(files_.GetAttributes(elsewhere + L"\\Corvex Workstation"), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
