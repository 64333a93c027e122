// The arguments the Win32 seams hand to the system, as the system functions receive them: the
// service manager's access masks, its status record and what a change of the service leaves
// alone; the compiler's start (the caller's flags alone, no folder, environment or start-up
// settings of its own, the system's error) and its wait; a replace written through; a message
// box's owner and type; the program path's limit. Wine accepts these without enforcing or
// keeping them, so they are read at the call. (The registration the kit creates, the start
// request and the stop control are read end to end, where the agent and the registry report them.)
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>

#include "framework/win32/win32_prompts.h"
#include "import_hook.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_process_launcher.h"
#include "platform/win32/win32_seams.h"
#include "platform/win32/win32_service_manager.h"

namespace {

using testing_support::ImportHook;

std::wstring seen;  // what the replaced functions were given, one call after another
std::wstring Hex(DWORD value) {
    wchar_t text[16] = {};
    std::swprintf(text, 16, L"%lX ", static_cast<unsigned long>(value));
    return text;
}
std::wstring Text(const wchar_t* text) { return text != nullptr ? L"'" + std::wstring(text) + L"' " : L"- "; }
SC_HANDLE Handle(SC_HANDLE handle) { return seen += L"; ", handle; }  // ends a call's record, gives its handle
const auto kService = reinterpret_cast<SC_HANDLE>(9);

TEST(SystemCalls, TheServiceManagerGetsTheCallersMasksAndChangesOnlyWhatItNames) {
    seen.clear();
    ImportHook<decltype(&::OpenSCManagerW)> manager("OpenSCManagerW", [](LPCWSTR machine, LPCWSTR base, DWORD mask) {
        return seen += L"manager " + Text(machine) + Text(base) + Hex(mask), Handle(reinterpret_cast<SC_HANDLE>(8));
    });
    ImportHook<decltype(&::OpenServiceW)> service("OpenServiceW", [](SC_HANDLE, LPCWSTR name, DWORD mask) {
        return seen += L"service " + Text(name) + Hex(mask), Handle(kService);
    });
    ImportHook<decltype(&::ChangeServiceConfigW)> change(
        "ChangeServiceConfigW", [](SC_HANDLE, DWORD type, DWORD start, DWORD errors, LPCWSTR path, LPCWSTR group,
                                   LPDWORD tag, LPCWSTR needs, LPCWSTR account, LPCWSTR password, LPCWSTR shown) {
            seen += L"change " + Hex(type) + Hex(start) + Hex(errors) + Text(path) + Text(group) +
                    (tag != nullptr ? L"tag " : L"- ") + Text(needs) + Text(account) + Text(password) + Text(shown);
            return seen += L"; ", TRUE;
        });
    ImportHook<decltype(&::QueryServiceStatusEx)> query(
        "QueryServiceStatusEx", [](SC_HANDLE, SC_STATUS_TYPE level, LPBYTE record, DWORD size, LPDWORD) {
            seen += L"query " + Hex(level) + Hex(size) + L"; ";
            auto* status = reinterpret_cast<SERVICE_STATUS_PROCESS*>(record);
            status->dwCurrentState = 2, status->dwCheckPoint = 7, status->dwWaitHint = 9000, status->dwProcessId = 1;
            return TRUE;
        });
    platform::Win32ServiceManager services;
    platform::ServiceStatus status{};
    services.QueryStatus(kService, status);
    EXPECT_EQ(std::make_tuple(status.currentState, status.checkPoint, status.waitHint), std::make_tuple(2u, 7u, 9000u));
    const platform::ScHandle opened = services.OpenManager(0x16);
    services.OpenServiceByName(opened, L"Agent", 0x26);
    services.ChangeStartType(kService, SERVICE_AUTO_START);
    services.ChangeRegistration(kService, SERVICE_AUTO_START, L"\"C:\\A\\agent.exe\"", L"Agent x64");
    EXPECT_EQ(seen,
              L"query 0 24 ; manager - - 16 ; service 'Agent' 26 ; change FFFFFFFF 2 FFFFFFFF - - - - - - - ; "
              L"change 10 2 1 '\"C:\\A\\agent.exe\"' - - - - - 'Agent x64' ; ");
}

TEST(SystemCalls, TheCompilerStartsWithTheCallersFlagsAloneAndIsWaitedForAsLongAsAsked) {
    seen.clear();
    ImportHook<decltype(&::CreateProcessW)> start(
        "CreateProcessW",
        [](LPCWSTR program, LPWSTR line, LPSECURITY_ATTRIBUTES process, LPSECURITY_ATTRIBUTES thread, BOOL inherit,
           DWORD flags, LPVOID environment, LPCWSTR folder, LPSTARTUPINFOW startup, LPPROCESS_INFORMATION) {
            STARTUPINFOW sizeOnly{};
            sizeOnly.cb = sizeof sizeOnly;
            seen += L"start " + Text(program) + Text(line) + Hex(flags) + (inherit ? L"inherited " : L"") +
                    (process != nullptr || thread != nullptr ? L"attributes " : L"") +
                    (environment != nullptr ? L"environment " : L"") + (folder != nullptr ? L"folder " : L"") +
                    (std::memcmp(startup, &sizeOnly, sizeof sizeOnly) != 0 ? L"start-up settings " : L"") + L"; ";
            return ::SetLastError(ERROR_PATH_NOT_FOUND), FALSE;
        });
    ImportHook<decltype(&::WaitForSingleObject)> wait("WaitForSingleObject", [](HANDLE, DWORD milliseconds) {
        return seen += L"wait " + Hex(milliseconds) + L"; ", DWORD{WAIT_OBJECT_0};
    });
    platform::Win32ProcessLauncher launcher;
    wchar_t line[] = L" /DX \"C:\\k.nsi\"";
    EXPECT_EQ(launcher.Create(L"C:\\tools\\makensis.exe", line, TRUE, CREATE_NO_WINDOW).lastError,
              static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    launcher.Wait(0x1234, INFINITE);
    EXPECT_EQ(seen, L"start 'C:\\tools\\makensis.exe' ' /DX \"C:\\k.nsi\"' 8000000 inherited ; wait FFFFFFFF ; ");
}

TEST(SystemCalls, AReplaceIsWrittenThroughAMessageBoxKeepsItsTypeAndTheProgramPathItsLimit) {
    seen.clear();
    ImportHook<decltype(&::MoveFileExW)> move(
        "MoveFileExW", [](LPCWSTR, LPCWSTR, DWORD flags) { return seen += L"move " + Hex(flags) + L"; ", TRUE; });
    ImportHook<decltype(&::MessageBoxW)> box("MessageBoxW", [](HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
        seen += L"box " + Hex(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(owner))) + Text(text) + Text(caption) +
                Hex(type) + L"; ";
        return IDNO;
    });
    ImportHook<decltype(&::GetModuleFileNameW)> path("GetModuleFileNameW", [](HMODULE module, LPWSTR, DWORD size) {
        return seen += L"path " + Hex(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(module))) + Hex(size), DWORD{0};
    });
    wchar_t program[261] = {};
    platform::Win32ModuleFile().GetFileName(program, 260);
    EXPECT_EQ(platform::Win32FileSystem().Replace(L"C:\\s\\user.json.1", L"C:\\s\\user.json"), 0u);
    EXPECT_EQ(framework::Win32Prompts().MessageBox(reinterpret_cast<HWND>(0x42), L"Apply?", L"SetupClient",
                                                   MB_YESNOCANCEL | MB_ICONQUESTION),
              IDNO);
    EXPECT_EQ(seen, L"path 0 104 move 9 ; box 42 'Apply?' 'SetupClient' 23 ; ");
}

}  // namespace
