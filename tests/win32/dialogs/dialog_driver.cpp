#include "dialog_driver.h"

#include <gtest/gtest.h>

namespace testing_support {
namespace {

struct Pending {
    const std::function<void(DialogDriver&)>* user;
    bool shown;
    UINT_PTR timer;
};
Pending* g_pending = nullptr;

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM found) {
    wchar_t name[16] = {};
    ::GetClassNameW(hwnd, name, 16);
    if (::IsWindowVisible(hwnd) && std::wstring(name) == L"#32770") {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Runs from the modal loop once it idles: the dialog is initialised and on screen.
void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_pending == nullptr || g_pending->shown) return;
    HWND dialog = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr) return;  // not on screen yet
    ::KillTimer(nullptr, g_pending->timer);
    g_pending->shown = true;
    DialogDriver driver(dialog);
    try {
        (*g_pending->user)(driver);
    } catch (const std::exception& e) {
        ADD_FAILURE() << "the test's user threw: " << e.what();
    }
    if (!driver.Ended()) ::EndDialog(dialog, kLeftOpen);
}

}  // namespace

INT_PTR RunModal(const std::function<INT_PTR()>& show, const std::function<void(DialogDriver&)>& user, bool* shown) {
    Pending pending{&user, false, 0};
    g_pending = &pending;
    pending.timer = ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, OnTimer);
    const INT_PTR result = show();
    if (!pending.shown) ::KillTimer(nullptr, pending.timer);
    g_pending = nullptr;
    if (shown != nullptr) *shown = pending.shown;
    return result;
}

bool DialogDriver::Type(int id, const std::wstring& text) {
    HWND edit = Item(id);
    if (!Enabled(id)) return false;
    if (::GetWindowLongW(edit, GWL_STYLE) & ES_NUMBER) {
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
        if (text.empty()) ::SendMessageW(edit, WM_CHAR, VK_BACK, 0);
        for (wchar_t c : text) ::SendMessageW(edit, WM_CHAR, c, 0);
    } else {
        ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    Pump();
    return Text(id) == text;
}

bool DialogDriver::Click(int id) {
    if (!Enabled(id)) return false;
    ::SendMessageW(Item(id), BM_CLICK, 0, 0);
    Pump();
    return true;
}

void DialogDriver::PressEscape() {
    // What the modal loop does with the key: the dialog manager turns it into IDCANCEL.
    MSG key{::GetFocus() != nullptr ? ::GetFocus() : m_dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001, 0, {0, 0}};
    if (!::IsDialogMessageW(m_dialog, &key)) ADD_FAILURE() << "Escape did not reach the dialog";
    Pump();
}

void DialogDriver::Close() {
    ::SendMessageW(m_dialog, WM_CLOSE, 0, 0);
    Pump();
}

std::wstring DialogDriver::Text(int id) const {
    HWND item = Item(id);
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(item)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(item, &text[0], static_cast<int>(text.size()))));
    return text;
}

bool DialogDriver::Enabled(int id) const {
    HWND item = Item(id);
    return item != nullptr && ::IsWindowEnabled(item) != FALSE;
}

bool DialogDriver::Checked(int id) const { return ::IsDlgButtonChecked(m_dialog, id) == BST_CHECKED; }

int DialogDriver::Focus() const {
    HWND focus = ::GetFocus();
    return focus != nullptr && ::IsChild(m_dialog, focus) ? ::GetDlgCtrlID(focus) : 0;
}

// Lets the dialog handle what the action posted, as its modal loop would.
void DialogDriver::Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_TIMER && message.hwnd == nullptr) continue;
        if (!::IsDialogMessageW(m_dialog, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
}

}  // namespace testing_support
