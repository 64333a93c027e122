// The settings files through the real Win32 file system: UTF-16 paths and values, the
// temporary-then-replace save, and a replace blocked by another program's open handle; and
// the rules on UTF-16 text.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>
#include <string>

#include "params/corvex_parameters.h"
#include "platform/platform.h"
#include "platform/win32/win32_firewall.h"
#include "platform/win32/win32_known_folders.h"
#include "platform/win32/win32_seams.h"
#include "platform/win32/system_function.h"
#include "platform/win32/unique_handle.h"

namespace {

// A fresh folder under the temporary folder, with a name outside the Basic Multilingual
// Plane in it, removed with its files afterwards.
class Win32ParamsTest : public ::testing::Test {
protected:
    Win32ParamsTest() {
        wchar_t temp[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH, temp);
        root_ = std::wstring(temp) + L"corvex-params-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                std::to_wstring(::GetTickCount()) + L"-\u00e9\U0001F600\\";
        platform::Seams seams;
        seams.files = &files_;
        seams.folders = &folders_;
        previous_ = platform::Install(seams);
    }
    ~Win32ParamsTest() override {
        platform::Install(previous_);
        RemoveTree(root_);
    }

    static void RemoveTree(const std::wstring& folder) {
        WIN32_FIND_DATAW found;
        // The search is closed before the folder is removed.
        if (const platform::unique_find search{::FindFirstFileW((folder + L"*").c_str(), &found)}) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveTree(folder + name + L"\\");
                } else {
                    ::DeleteFileW((folder + name).c_str());
                }
            } while (::FindNextFileW(search.get(), &found));
        }
        ::RemoveDirectoryW(folder.c_str());
    }

    std::string Bytes(const std::wstring& path) {
        std::string bytes;
        EXPECT_EQ(files_.ReadWholeFile(path, 1 << 20, bytes), static_cast<DWORD>(ERROR_SUCCESS));
        return bytes;
    }

    platform::Win32FileSystem files_;
    platform::Win32KnownFolders folders_;
    platform::Seams previous_;
    std::wstring root_;
};

TEST_F(Win32ParamsTest, FileOperationsWorkOnUtf16Paths) {
    const std::wstring folder = root_ + L"a\\b\\";
    ASSERT_EQ(files_.CreateFolders(folder), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(files_.CreateFolders(folder), static_cast<DWORD>(ERROR_SUCCESS)) << "an existing folder is fine";
    EXPECT_NE(files_.GetAttributes(folder) & FILE_ATTRIBUTE_DIRECTORY, 0u);

    ASSERT_EQ(files_.WriteNewFile(folder + L"new", "new bytes", false), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_EQ(files_.WriteNewFile(folder + L"old", "old", false), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_EQ(files_.Replace(folder + L"new", folder + L"old"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(Bytes(folder + L"old"), "new bytes");
    EXPECT_EQ(files_.GetAttributes(folder + L"new"), INVALID_FILE_ATTRIBUTES);

    std::string bytes;
    EXPECT_EQ(files_.ReadWholeFile(folder + L"old", 3, bytes), platform::ERROR_FILE_TOO_LARGE_FOR_READ);
    EXPECT_EQ(files_.Remove(folder + L"old"), static_cast<DWORD>(ERROR_SUCCESS));
    const DWORD missing = files_.ReadWholeFile(folder + L"old", 100, bytes);
    EXPECT_TRUE(missing == ERROR_FILE_NOT_FOUND || missing == ERROR_PATH_NOT_FOUND) << missing;
    const DWORD missingFolder = files_.ReadWholeFile(root_ + L"none\\x.json", 100, bytes);
    EXPECT_TRUE(missingFolder == ERROR_FILE_NOT_FOUND || missingFolder == ERROR_PATH_NOT_FOUND) << missingFolder;
}

TEST_F(Win32ParamsTest, SaveThenLoadKeepsUtf16ValuesWithSurrogatePairs) {
    const std::wstring userDir = root_ + L"PredefinedClientSettings\\User\\";
    const std::wstring workstationDir = root_ + L"PredefinedClientSettings\\Workstation\\";
    const std::wstring login = L"CORP\\J\u00fcrgen\U0001F600";
    CorvexParameters saved(L"client");
    saved.SetUserName(login);
    saved.SetCoordinator(L"backup01", 9000, false);
    saved.Save(userDir, workstationDir);
    EXPECT_NE(Bytes(userDir + L"user.json").find("J\xc3\xbcrgen\xf0\x9f\x98\x80"), std::string::npos);

    CorvexParameters loaded(L"client");
    loaded.Load(userDir, workstationDir);
    EXPECT_EQ(loaded.GetAllowedUserName(), login);
    EXPECT_EQ(loaded.GetCoordinatorPort(), 9000);
}

// Here wchar_t has 16 bits, so the rules meet surrogate pairs: a character outside the Basic
// Multilingual Plane is quoted whole, and a format character there is found as one.
TEST_F(Win32ParamsTest, CharactersOutsideTheBmpAreJudgedAndQuotedWhole) {
    const auto refusal = [&](const std::wstring& name, const std::wstring& login) {
        CorvexParameters parameters(L"client");
        parameters.SetClientName(name, false);
        parameters.SetUserName(login);
        try {
            parameters.Save(root_, root_);
        } catch (const CorvexParameters::ValidationError& e) {
            return e.GetText();
        }
        return std::wstring(L"accepted");
    };
    EXPECT_NE(refusal(L"ws\U0001F600", L"CORP\\backup").find(L"contains \"\U0001F600\"."), std::wstring::npos);
    EXPECT_NE(refusal(L"WS-1", L"CORP\\user\U000E0041").find(L"(U+E0041,"), std::wstring::npos);
}

TEST_F(Win32ParamsTest, TargetHeldOpenWithoutSharingKeepsItsBytesAndNoTemporaryFile) {
    const std::wstring folder = root_ + L"held\\";
    CorvexParameters first(L"client");
    first.Save(folder, folder);
    const std::string before = Bytes(folder + L"user.json");

    const HANDLE held = ::CreateFileW((folder + L"user.json").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::wstring host = L"other-server";
    CorvexParameters second(L"client");
    second.SetCoordinator(host, 1234, false);
    try {
        second.Save(folder, folder);
        ADD_FAILURE() << "replaced a file that another program holds";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("user.json"), std::string::npos) << e.what();
    }
    ::CloseHandle(held);
    EXPECT_EQ(Bytes(folder + L"user.json"), before);
    int entries = 0;
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW((folder + L"*.json*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(search, &found)) ++entries;
    if (search != INVALID_HANDLE_VALUE) ::FindClose(search);
    EXPECT_EQ(entries, 2) << "a temporary file was left";
}

TEST_F(Win32ParamsTest, KnownFoldersAreAbsolutePaths) {
    const std::wstring programData = folders_.ProgramData();
    const std::wstring appData = folders_.UserAppData();
    ASSERT_GT(programData.size(), 3u);
    ASSERT_GT(appData.size(), 3u);
    EXPECT_EQ(programData[1], L':');
    EXPECT_EQ(appData[1], L':');
    const std::wstring& userDir = ComputerInfo::GetSettingsDirForUser();
    EXPECT_EQ(userDir.compare(0, appData.size(), appData), 0);
    EXPECT_EQ(userDir.back(), L'\\');
}

TEST(Win32SystemFunctionTest, FindsFunctionsOfDllsLoadedOnFirstUseAndNothingElse) {
    EXPECT_NE(platform::SystemFunction(L"comdlg32.dll", "GetSaveFileNameW"), nullptr);
    EXPECT_NE(platform::SystemFunction(L"ole32.dll", "CoCreateInstance"), nullptr);
    EXPECT_NE(platform::SystemFunction(L"oleaut32.dll", "SysAllocStringLen"), nullptr);
    EXPECT_EQ(platform::SystemFunction(L"ole32.dll", "NoSuchFunction"), nullptr);
    EXPECT_EQ(platform::SystemFunction(L"corvex-no-such.dll", "GetSaveFileNameW"), nullptr);
}

TEST(Win32FirewallTest, ExceptionRequestsReachTheFirewallThroughComAndRepeatAlike) {
    // COM's DLLs are looked up when the first firewall call comes. Wine's firewall objects
    // take a new rule from anybody and keep nothing, so there the exception is never
    // confirmed; Windows wants an administrator for either. Either way a second request must
    // give the same answer and neither may hang or crash.
    platform::Win32Firewall firewall;
    const bool underWine = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    if (underWine) EXPECT_TRUE(firewall.AddAllowRule(L"C:\\corvex-test\\agent.exe", L"Corvex test rule"));
    platform::Seams seams;
    seams.firewall = &firewall;
    platform::ScopedSeams scoped(seams);
    const wchar_t* path = L"C:\\Program Files\\Quentara\\Corvex Workstation\\CorvexWorkstation.exe";
    const bool first = DisableWindowsFirewall(path, L"Corvex Workstation x64");
    EXPECT_EQ(DisableWindowsFirewall(path, L"Corvex Workstation x64"), first);
}

}  // namespace
