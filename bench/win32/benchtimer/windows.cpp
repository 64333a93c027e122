// Windows and processes the commands wait for.
#include "bench_timer.h"

namespace benchtimer {

namespace {

struct WindowSearch {
    const std::wstring* caption;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    if (!IsWindowVisible(window)) return TRUE;
    wchar_t text[256] = L"";
    GetWindowTextW(window, text, 256);
    if (*search->caption != text) return TRUE;
    if (search->className) {
        wchar_t cls[64] = L"";
        GetClassNameW(window, cls, 64);
        if (lstrcmpiW(cls, search->className) != 0) return TRUE;
    }
    search->found = window;
    return FALSE;
}

}  // namespace

HWND FindVisibleWindow(const std::wstring& caption, const wchar_t* className) {
    WindowSearch search{&caption, className, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

Process::Process(const std::wstring& commandLine, DWORD flags) {
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup, &info_)) {
        throw Failure("cannot start \"" + Utf8(commandLine) + "\": error " + std::to_string(GetLastError()));
    }
}

Process::~Process() {
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

DWORD Process::Wait(double timeout) {
    if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout * 1000)) != WAIT_OBJECT_0) {
        TerminateProcess(info_.hProcess, 255);
        throw Failure("process still running after the timeout; ended it");
    }
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

}  // namespace benchtimer
