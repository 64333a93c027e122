// What the kit build and the program rely on from the system: starting and waiting for a
// program, and the built SetupClient.exe's manifest (read back from its resources). The debug
// batch file is written for real in the kit dialog's tests; the kit's command line as the
// compiler splits it is met end to end.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/win32/win32_process_launcher.h"

namespace {

std::wstring TempPath(const wchar_t* name) {
    wchar_t buffer[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, buffer);
    return std::wstring(buffer) + L"corvex " + std::to_wstring(::GetCurrentProcessId()) + name;
}

TEST(ProcessLauncher, StartsWaitsForAndReleasesAProgramKeepingTheCallersLastError) {
    platform::Win32ProcessLauncher launcher;
    wchar_t system[MAX_PATH + 1] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    wchar_t arguments[] = L" /c exit 3";
    const platform::ProcessStart start =
        launcher.Create(std::wstring(system) + L"\\cmd.exe", arguments, TRUE, CREATE_NO_WINDOW);
    ASSERT_TRUE(start.started) << start.lastError;
    EXPECT_EQ(launcher.Wait(start.process, INFINITE), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    ASSERT_TRUE(::GetExitCodeProcess(reinterpret_cast<HANDLE>(start.process), &exitCode));
    EXPECT_EQ(exitCode, 3u) << "the program ran with its arguments";
    ::SetLastError(1234);
    launcher.Close(start.process);
    launcher.Close(0x7ffffff0);  // a close that fails keeps it too
    EXPECT_EQ(::GetLastError(), 1234u);
    const platform::ProcessStart missing = launcher.Create(TempPath(L"-none\\makensis.exe"), arguments, TRUE, 0);
    EXPECT_FALSE(missing.started);
    EXPECT_EQ(missing.lastError, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(BuiltProgram, ItsManifestAsksForAdministratorRights) {
    wchar_t path[MAX_PATH + 1] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program(path);
    program.replace(program.find_last_of(L'\\') + 1, std::wstring::npos, L"SetupClient.exe");
    const HMODULE module = ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(::LockResource(::LoadResource(module, found))),
                               ::SizeofResource(module, found));
    ::FreeLibrary(module);
    EXPECT_NE(manifest.find("requestedExecutionLevel level=\"requireAdministrator\" uiAccess=\"false\""),
              std::string::npos)
        << manifest;
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
}

}  // namespace
