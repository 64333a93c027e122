// What the kit build and the program rely on from the system: starting and waiting for a
// program, and the built SetupClient.exe's manifest (read back from its resources). The debug
// batch file is written for real in the kit dialog's tests; the kit's command line as the
// compiler splits it is met end to end.
#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <string>

#include "platform/win32/win32_process_launcher.h"
#include "platform/win32/win32_seams.h"

namespace {

std::wstring TempPath(const wchar_t* name) {
    wchar_t buffer[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, buffer);
    return std::wstring(buffer) + L"corvex " + std::to_wstring(::GetCurrentProcessId()) + name;
}

// How often a thread of `process` is suspended: 1 for a program started suspended that has not
// been resumed, 0 for one that runs; -1 when it has no thread (it has ended).
DWORD SuspendCount(HANDLE process) {
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    DWORD count = static_cast<DWORD>(-1);
    for (BOOL more = ::Thread32First(snapshot, &entry); more && count == static_cast<DWORD>(-1);
         more = ::Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != ::GetProcessId(process)) continue;
        const HANDLE thread = ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
        count = ::SuspendThread(thread);
        ::CloseHandle(thread);
    }
    ::CloseHandle(snapshot);
    return count;
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
    // The creation flags reach the system: a program started suspended has not begun.
    const platform::ProcessStart held =
        launcher.Create(std::wstring(system) + L"\\cmd.exe", arguments, FALSE, CREATE_SUSPENDED);
    ASSERT_TRUE(held.started);
    EXPECT_EQ(SuspendCount(reinterpret_cast<HANDLE>(held.process)), 1u);
    ::TerminateProcess(reinterpret_cast<HANDLE>(held.process), 0);
    launcher.Close(held.process);
}

// The computer's name whole, as the system tells it to every program.
TEST(MachineName, IsTheComputersName) {
    EXPECT_EQ(platform::Win32MachineName().ComputerName(), _wgetenv(L"COMPUTERNAME"));
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
