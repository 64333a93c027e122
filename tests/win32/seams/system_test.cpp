// What the program relies on from the system: the launcher's flags, errors and last error,
// the computer's name, and the built SetupClient.exe's manifest (read back from its
// resources). Starting the compiler with its arguments and waiting for it is met end to end,
// where the kit is built for real.
#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <string>

#include "platform/win32/win32_process_launcher.h"
#include "platform/win32/win32_seams.h"

namespace {

// The creation flags reach the system (a program started suspended has a suspended thread)
// with the caller's inheritable handles; waiting for it, like the clock's pause, blocks the
// thread without handling its messages; a missing program is told by the system's code, and a
// close keeps the caller's last error.
TEST(ProcessLauncher, PassesTheFlagsTellsAMissingProgramAndKeepsTheLastError) {
    wchar_t system[MAX_PATH + 1] = {};
    const std::wstring folder(system, ::GetSystemDirectoryW(system, MAX_PATH));
    wchar_t arguments[] = L" /c exit 3";
    platform::Win32ProcessLauncher launcher;
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    const HANDLE event = ::CreateEventW(&inheritable, TRUE, FALSE, nullptr);
    const platform::ProcessStart held = launcher.Create(folder + L"\\cmd.exe", arguments, TRUE, CREATE_SUSPENDED);
    ASSERT_TRUE(held.started) << held.lastError;
    const HANDLE child = reinterpret_cast<HANDLE>(held.process);
    HANDLE inherited = nullptr;  // the child holds the event under the same value
    EXPECT_TRUE(::DuplicateHandle(child, event, ::GetCurrentProcess(), &inherited, 0, FALSE, DUPLICATE_SAME_ACCESS));
    ::PostThreadMessageW(::GetCurrentThreadId(), WM_APP, 0, 0);
    EXPECT_EQ(launcher.Wait(held.process, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    platform::Win32Clock().Sleep(1);
    MSG message;
    EXPECT_TRUE(::PeekMessageW(&message, nullptr, WM_APP, WM_APP, PM_REMOVE)) << "a message was handled";
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 thread{sizeof(THREADENTRY32)};
    DWORD suspended = 0;  // the count before the test's own suspension
    for (BOOL more = ::Thread32First(snapshot, &thread); more; more = ::Thread32Next(snapshot, &thread)) {
        if (thread.th32OwnerProcessID != ::GetProcessId(reinterpret_cast<HANDLE>(held.process))) continue;
        const HANDLE opened = ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, thread.th32ThreadID);
        suspended = ::SuspendThread(opened);
        ::CloseHandle(opened);
    }
    ::CloseHandle(snapshot), ::CloseHandle(inherited), ::CloseHandle(event);
    EXPECT_EQ(suspended, 1u);
    ::TerminateProcess(reinterpret_cast<HANDLE>(held.process), 0);
    ::SetLastError(1234);
    launcher.Close(held.process);
    launcher.Close(0x7ffffff0);  // a close that fails keeps it too
    EXPECT_EQ(::GetLastError(), 1234u);
    EXPECT_EQ(launcher.Create(folder + L"\\none\\makensis.exe", arguments, TRUE, 0).lastError,
              static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
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
