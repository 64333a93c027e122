// CorvexWorkstation.exe for the test bench: a Windows service registered as
// "QuentaraCorvexWorkstation_x64" that starts, runs and stops the way the behaviour file
// beside it says, and reports each state it enters in CorvexWorkstation.report.
#include <windows.h>

#include <cstdio>
#include <string>

#include "behaviour.h"
#include "report.h"
#include "settings_report.h"

namespace {

const wchar_t kServiceName[] = L"QuentaraCorvexWorkstation_x64";

// Slow: this many steps of this length while start pending and again while stop pending.
const DWORD kSlowSteps = 4;
const DWORD kSlowStepMs = 700;
const DWORD kSlowWaitHint = 3000;
// Stuck: a wait hint small enough for the controller to give up within seconds.
const DWORD kStuckWaitHint = 2000;
// Exit during start: how long it stays start pending before it stops.
const DWORD kExitAfterMs = 1500;
const DWORD kExitWaitHint = 3000;
// Instant: how long the process stays after it reported stopped (see wmain).
const DWORD kInstantLingerMs = 250;

SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
SRWLOCK g_statusLock = SRWLOCK_INIT;
SERVICE_STATUS g_status = {};
HANDLE g_stopRequested = nullptr;
Behaviour g_behaviour = Behaviour::Normal;

const char* StateName(DWORD state) {
    switch (state) {
        case SERVICE_STOPPED: return "stopped";
        case SERVICE_START_PENDING: return "start-pending";
        case SERVICE_STOP_PENDING: return "stop-pending";
        case SERVICE_RUNNING: return "running";
        default: return "other";
    }
}

void SetState(DWORD state, DWORD checkPoint, DWORD waitHint, DWORD controlsAccepted, DWORD exitCode = NO_ERROR) {
    Report(std::string("state ") + StateName(state) + " checkpoint " + std::to_string(checkPoint) + " wait-hint " +
           std::to_string(waitHint) + (exitCode != NO_ERROR ? " exit-code " + std::to_string(exitCode) : ""));
    ::AcquireSRWLockExclusive(&g_statusLock);
    g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    g_status.dwCurrentState = state;
    g_status.dwControlsAccepted = controlsAccepted;
    g_status.dwWin32ExitCode = exitCode;
    g_status.dwServiceSpecificExitCode = 0;
    g_status.dwCheckPoint = checkPoint;
    g_status.dwWaitHint = waitHint;
    ::SetServiceStatus(g_statusHandle, &g_status);
    ::ReleaseSRWLockExclusive(&g_statusLock);
}

DWORD WINAPI Handler(DWORD control, DWORD, LPVOID, LPVOID) {
    switch (control) {
        case SERVICE_CONTROL_STOP:
            Report("control stop");
            if (g_behaviour == Behaviour::Instant) {
                // Nothing to wind down: stopped before the handler returns.
                SetState(SERVICE_STOPPED, 0, 0, 0);
            } else {
                // Stop pending at once, before the handler returns: the manager expects it.
                SetState(SERVICE_STOP_PENDING, 1, g_behaviour == Behaviour::Slow ? kSlowWaitHint : 1000, 0);
            }
            ::SetEvent(g_stopRequested);
            return NO_ERROR;
        case SERVICE_CONTROL_INTERROGATE:
            return NO_ERROR;
        default:
            return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

std::wstring OwnFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    const size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : folder.substr(0, slash);
}

// Runs from start request to stopped; returns when the service has reported stopped.
void Run() {
    switch (g_behaviour) {
        case Behaviour::Normal:
            SetState(SERVICE_RUNNING, 0, 0, SERVICE_ACCEPT_STOP);
            break;
        case Behaviour::Instant:
            break;  // already running
        case Behaviour::Slow:
            for (DWORD step = 1; step <= kSlowSteps; ++step) {
                SetState(SERVICE_START_PENDING, step, kSlowWaitHint, 0);
                ::Sleep(kSlowStepMs);
            }
            SetState(SERVICE_RUNNING, 0, 0, SERVICE_ACCEPT_STOP);
            break;
        case Behaviour::Stuck:
            SetState(SERVICE_START_PENDING, 1, kStuckWaitHint, 0);
            break;  // never reports anything else: nothing will set the stop event
        case Behaviour::RefuseStop:
            SetState(SERVICE_RUNNING, 0, 0, 0);
            break;  // does not accept the stop control, so it is never sent
        case Behaviour::ExitDuringStart:
            SetState(SERVICE_START_PENDING, 1, kExitWaitHint, 0);
            ::Sleep(kExitAfterMs);
            SetState(SERVICE_STOPPED, 0, 0, 0, ERROR_SERVICE_SPECIFIC_ERROR);
            return;
        case Behaviour::Unknown:
            SetState(SERVICE_STOPPED, 0, 0, 0, ERROR_BAD_CONFIGURATION);
            return;
    }

    ::WaitForSingleObject(g_stopRequested, INFINITE);
    if (g_behaviour == Behaviour::Instant) return;  // the handler reported stopped
    if (g_behaviour == Behaviour::Slow) {
        for (DWORD step = 2; step <= kSlowSteps + 1; ++step) {
            ::Sleep(kSlowStepMs);
            SetState(SERVICE_STOP_PENDING, step, kSlowWaitHint, 0);
        }
    }
    SetState(SERVICE_STOPPED, 0, 0, 0);
}

void WINAPI ServiceMain(DWORD, LPWSTR*) {
    g_statusHandle = ::RegisterServiceCtrlHandlerExW(kServiceName, Handler, nullptr);
    if (g_statusHandle == nullptr) return;
    g_stopRequested = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);

    const std::wstring folder = OwnFolder();
    SetReportFolder(folder);
    std::string word;
    g_behaviour = ReadBehaviour(folder, word);
    if (g_behaviour == Behaviour::Instant) SetState(SERVICE_RUNNING, 0, 0, SERVICE_ACCEPT_STOP);
    Report(std::string("start behaviour ") + NameOf(g_behaviour) +
           (g_behaviour == Behaviour::Unknown ? " (the behaviour file says \"" + word + "\")" : ""));
    ReportSettings();
    Run();
}

}  // namespace

int wmain() {
    SERVICE_TABLE_ENTRYW table[] = {{const_cast<wchar_t*>(kServiceName), ServiceMain}, {nullptr, nullptr}};
    if (!::StartServiceCtrlDispatcherW(table)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) {
            ::fputws(L"CorvexWorkstation.exe runs only as a service (register it with sc create).\n", stderr);
        }
        return static_cast<int>(error);
    }
    if (g_behaviour == Behaviour::Instant) {
        // Stopped from inside the stop handler: the dispatcher returns as soon as that status
        // is in, while its own thread may not yet have sent the handler's answer back to the
        // service manager. Leaving at once would cut that answer off (the manager then fails
        // the stop request); give the thread time to send it.
        ::Sleep(kInstantLingerMs);
    }
    return 0;
}
