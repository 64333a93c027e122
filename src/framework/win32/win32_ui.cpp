#include "framework/win32/win32_ui.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "framework/dialog.h"
#include "framework/win32/win32_dialog_window.h"

namespace framework {
namespace {

struct OpenDialog {
    CDialog* dialog;
    std::unique_ptr<Win32DialogWindow> window;
};

// Centres a dialog on the work area of its monitor, as users expect of a program without a
// main window (the template's own position is relative to a parent it doesn't have).
void CentreOnWorkArea(HWND hwnd) {
    RECT window{};
    ::GetWindowRect(hwnd, &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor)) return;
    const RECT& area = monitor.rcWork;
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    const int x = area.left + (area.right - area.left - width) / 2;
    const int y = area.top + (area.bottom - area.top - height) / 2;
    ::SetWindowPos(hwnd, nullptr, x > area.left ? x : area.left, y > area.top ? y : area.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The dialogs running, innermost last.
std::vector<HWND> g_running;

OpenDialog* Lookup(HWND hwnd) { return reinterpret_cast<OpenDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER)); }

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        OpenDialog* open = reinterpret_cast<OpenDialog*>(lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        open->window.reset(new Win32DialogWindow(hwnd));
        RECT before{};
        ::GetWindowRect(hwnd, &before);
        const BOOL focusFirst = open->dialog->HandleInitDialog(open->window.get());
        RECT after{};
        ::GetWindowRect(hwnd, &after);
        // A dialog that placed itself during its initialisation keeps its place.
        if (::EqualRect(&before, &after)) CentreOnWorkArea(hwnd);
        g_running.push_back(hwnd);
        return focusFirst;
    }
    OpenDialog* open = Lookup(hwnd);
    if (open == nullptr || !open->window) return FALSE;
    switch (message) {
    case WM_COMMAND: return open->dialog->HandleCommand(HIWORD(wParam), LOWORD(wParam)) ? TRUE : FALSE;
    case WM_PAINT: {
        const bool handled = open->dialog->HandleMessage(WM_PAINT, nullptr);
        // A handler that asks for the default painting leaves it to the dialog manager.
        return handled && !open->window->TakeDefaultPaintRequest() ? TRUE : FALSE;
    }
    case WM_QUERYDRAGICON: {
        LRESULT cursor = 0;
        if (!open->dialog->HandleMessage(WM_QUERYDRAGICON, &cursor)) return FALSE;
        return static_cast<INT_PTR>(cursor);
    }
    case WM_DESTROY:
        g_running.erase(std::remove(g_running.begin(), g_running.end(), hwnd), g_running.end());
        open->dialog->HandleDestroy();
        return FALSE;
    default: return FALSE;
    }
}

}  // namespace

BOOL Win32Ui::InitCommonControls(DWORD classes) {
    INITCOMMONCONTROLSEX init{};
    init.dwSize = sizeof(init);
    init.dwICC = classes;
    return ::InitCommonControlsEx(&init);
}

HICON Win32Ui::LoadIcon(UINT resourceId) {
    return ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId));
}

int Win32Ui::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

INT_PTR Win32Ui::RunModal(CDialog& dialog, UINT templateId) {
    OpenDialog open{&dialog, nullptr};
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), nullptr, DialogProc,
                             reinterpret_cast<LPARAM>(&open));
}

// Once another program has taken the foreground during a long wait, the thread has no active
// window: a prompt then still belongs to the innermost running dialog, so that it shows above
// it (a system-modal one too) and keeps it from taking clicks.
HWND Win32Ui::ActiveWindow() {
    const HWND active = ::GetActiveWindow();
    return active != nullptr || g_running.empty() ? active : g_running.back();
}

void Win32Ui::BeginWaitCursor() {
    HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32514) /* IDC_WAIT */));
    if (m_waitDepth++ == 0) m_cursorBeforeWait = previous;
}

void Win32Ui::EndWaitCursor() {
    if (m_waitDepth > 0 && --m_waitDepth == 0) ::SetCursor(m_cursorBeforeWait);
}

void Win32Ui::DiscardPendingInput() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
    while (::PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
}

}  // namespace framework
