// CorvexWorkstation.exe for the test bench: the service "QuentaraCorvexWorkstation_x64", which
// starts, runs and stops as the word in CorvexWorkstation.behaviour beside it says, and appends
// what it does to CorvexWorkstation.report there ("start behaviour W arguments N", N the start
// request's arguments after the service's own name; the settings it reads through the parameters
// library; "control stop").
#include <windows.h>

#include <exception>
#include <fstream>
#include <mutex>
#include <string>

#include "params/corvex_parameters.h"
#include "platform/utf8.h"
#include "platform/win32/win32_seams.h"

namespace {

wchar_t kName[] = L"QuentaraCorvexWorkstation_x64";
// normal: starts and stops at once; instant: running before it reads anything, stopped before
// the stop control returns; slow: four 0.7 s checkpoints (hint 3 s) each way; stuck: start
// pending for ever (hint 2 s).
std::string g_word = "normal";
std::wstring g_folder;
SERVICE_STATUS_HANDLE g_handle;
HANDLE g_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);  // manual reset, not set
std::mutex g_lock;

void Report(const std::string& s) {
    std::lock_guard<std::mutex> hold(g_lock);
    std::ofstream((g_folder + L"\\CorvexWorkstation.report").c_str(), std::ios::app | std::ios::binary) << s << "\r\n";
}

void SetState(DWORD state, DWORD checkPoint = 0, DWORD hint = 0) {
    std::lock_guard<std::mutex> hold(g_lock);
    const DWORD accepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    SERVICE_STATUS status{SERVICE_WIN32_OWN_PROCESS, state, accepted, NO_ERROR, 0, checkPoint, hint};
    SetServiceStatus(g_handle, &status);
}

DWORD WINAPI Handler(DWORD control, DWORD, LPVOID, LPVOID) {
    if (control == SERVICE_CONTROL_INTERROGATE) return NO_ERROR;
    if (control != SERVICE_CONTROL_STOP) return ERROR_CALL_NOT_IMPLEMENTED;
    Report("control stop");
    // Before the handler returns: instant is stopped, the others stop pending.
    g_word == "instant" ? SetState(SERVICE_STOPPED) : SetState(SERVICE_STOP_PENDING, 1, g_word == "slow" ? 3000 : 1000);
    return SetEvent(g_stop), NO_ERROR;
}

void WINAPI ServiceMain(DWORD count, LPWSTR*) {
    g_handle = RegisterServiceCtrlHandlerExW(kName, Handler, nullptr);
    std::ifstream((g_folder + L"\\CorvexWorkstation.behaviour").c_str()) >> g_word;
    if (g_word == "instant") SetState(SERVICE_RUNNING);
    Report("start behaviour " + g_word + " arguments " + std::to_string(count - 1)), platform::InstallWin32Seams();
    try {
        CorvexParameters p(L"client");
        p.Load(), Report(platform::WideToUtf8Lossy(L"settings host " + p.GetCoordinatorHost() + L" port " +
                                                   std::to_wstring(p.GetCoordinatorPort()) + L" login " +
                                                   p.GetAllowedUserName() + L" workstation " + p.GetClientName()));
    } catch (const std::exception& e) {
        Report(std::string("settings error ") + e.what());
    }
    if (g_word == "stuck") return SetState(SERVICE_START_PENDING, 1, 2000);
    // Slow: four steps, the second a pause of 2.5 s, longer than the waiter's own pauses but
    // within the wait hint it gives for it.
    for (DWORD step = 1; g_word == "slow" && step <= 4; ++step)
        SetState(SERVICE_START_PENDING, step, step == 2 ? 6000 : 3000), Sleep(step == 2 ? 2500 : 700);
    if (g_word != "instant") SetState(SERVICE_RUNNING);
    WaitForSingleObject(g_stop, INFINITE);
    if (g_word == "instant") return;  // the handler reported stopped
    for (DWORD step = 2; g_word == "slow" && step <= 5; ++step) Sleep(700), SetState(SERVICE_STOP_PENDING, step, 3000);
    SetState(SERVICE_STOPPED);
}

}  // namespace

int wmain() {
    wchar_t path[MAX_PATH] = {};
    g_folder.assign(path, GetModuleFileNameW(nullptr, path, MAX_PATH)), g_folder.resize(g_folder.find_last_of(L'\\'));
    SERVICE_TABLE_ENTRYW table[] = {{kName, ServiceMain}, {nullptr, nullptr}};
    if (!StartServiceCtrlDispatcherW(table)) return static_cast<int>(GetLastError());
    // Stopped from inside the stop handler: give the dispatcher's thread time to send the handler's
    // answer back to the service manager. Then end at once: an ordinary exit kills that thread and
    // then runs the libraries' detach code, which now and then hung on a lock the thread had held,
    // keeping the program file in use until the service manager ended the process.
    if (g_word == "instant") Sleep(250);
    return TerminateProcess(GetCurrentProcess(), 0);
}
