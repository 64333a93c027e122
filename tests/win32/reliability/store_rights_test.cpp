// The agent store's rights through the real Win32 file system seam: the folder's access list
// is replaced by the protected one (reads back as set), and a file created in it afterwards
// inherits it. (Wine accepts the call but keeps no list on its files: there the read-back
// part is skipped.)
#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <string>

#include "platform/win32/win32_seams.h"

namespace {

// The folder's access list as SDDL ("" when it cannot be read).
std::wstring AccessListOf(const std::wstring& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    std::wstring name = path;
    if (::GetNamedSecurityInfoW(&name[0], SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                                nullptr, &descriptor) != ERROR_SUCCESS) {
        return std::wstring();
    }
    LPWSTR text = nullptr;
    std::wstring sddl;
    if (::ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                               &text, nullptr)) {
        sddl = text;
        ::LocalFree(text);
    }
    ::LocalFree(descriptor);
    return sddl;
}

class Win32StoreRightsTest : public ::testing::Test {
protected:
    Win32StoreRightsTest() {
        wchar_t temp[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"corvex-rights-" + std::to_wstring(::GetCurrentProcessId()) + L"\\Settings\\";
    }
    ~Win32StoreRightsTest() override {
        ::DeleteFileW((folder_ + L"user.json").c_str());
        ::RemoveDirectoryW(folder_.c_str());
        ::RemoveDirectoryW(folder_.substr(0, folder_.size() - 9).c_str());
    }

    platform::Win32FileSystem files_;
    std::wstring folder_;
};

TEST_F(Win32StoreRightsTest, TheFolderGetsTheProtectedListAndFilesInheritIt) {
    ASSERT_EQ(files_.CreateFolders(folder_), static_cast<DWORD>(ERROR_SUCCESS));
    const std::wstring inherited = AccessListOf(folder_);
    ASSERT_EQ(files_.RestrictToAdministrators(folder_), static_cast<DWORD>(ERROR_SUCCESS));
    const std::wstring folderList = AccessListOf(folder_);
    if (folderList == inherited) {
        // Wine accepts the list but keeps none on this file system: nothing more to read back.
        GTEST_SKIP() << "this system keeps no access lists on files: " << testing::PrintToString(folderList);
    }
    EXPECT_EQ(folderList.compare(0, 3, L"D:P"), 0) << "not protected: " << testing::PrintToString(folderList);
    EXPECT_NE(folderList.find(L"(A;OICI;FA;;;SY)"), std::wstring::npos) << testing::PrintToString(folderList);
    EXPECT_NE(folderList.find(L"(A;OICI;FA;;;BA)"), std::wstring::npos) << testing::PrintToString(folderList);
    EXPECT_NE(folderList.find(L";;;BU)"), std::wstring::npos) << testing::PrintToString(folderList);
    EXPECT_EQ(folderList.find(L"FA;;;BU"), std::wstring::npos) << "users may not change the store";
    EXPECT_EQ(folderList.find(L";;;WD)"), std::wstring::npos) << "nothing for everyone";

    ASSERT_EQ(files_.WriteAndFlush(folder_ + L"user.json", "{}"), static_cast<DWORD>(ERROR_SUCCESS));
    const std::wstring fileList = AccessListOf(folder_ + L"user.json");
    EXPECT_NE(fileList.find(L"FA;;;BA)"), std::wstring::npos) << testing::PrintToString(fileList);
    EXPECT_EQ(fileList.find(L"FA;;;BU"), std::wstring::npos) << testing::PrintToString(fileList);
}

TEST_F(Win32StoreRightsTest, AMissingFolderIsReportedNotCreated) {
    EXPECT_NE(files_.RestrictToAdministrators(folder_ + L"missing\\"), static_cast<DWORD>(ERROR_SUCCESS));
}

}  // namespace
