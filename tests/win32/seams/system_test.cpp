// What the program relies on from the system: the clock's pause and the launcher's close, the
// computer's name, and the built SetupClient.exe's manifest (read back from its resources).
// What the seams hand to the system is read at the call (system_calls_test.cpp); the compiler
// really started and waited for is met end to end, where the kit is built.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/win32/win32_process_launcher.h"
#include "platform/win32/win32_seams.h"

namespace {

// The clock's pause blocks the thread without handling its messages; a close, even one that
// fails, keeps the caller's last error.
TEST(SystemSeams, ThePauseHandlesNoMessageAndACloseKeepsTheLastError) {
    ::PostThreadMessageW(::GetCurrentThreadId(), WM_APP, 0, 0);
    platform::Win32Clock().Sleep(1);
    MSG message;
    EXPECT_TRUE(::PeekMessageW(&message, nullptr, WM_APP, WM_APP, PM_REMOVE)) << "a message was handled";
    platform::Win32ProcessLauncher launcher;
    const HANDLE handle = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ::SetLastError(1234);
    launcher.Close(reinterpret_cast<platform::ProcessHandle>(handle));
    launcher.Close(0x7ffffff0);
    EXPECT_EQ(::GetLastError(), 1234u);
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
