#include "framework/win32/win32_dialog_window.h"

#include <commctrl.h>

namespace framework {

std::wstring Win32DialogWindow::GetItemText(int id) {
    HWND item = ::GetDlgItem(m_hwnd, id);
    const int length = ::GetWindowTextLengthW(item);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(item, &text[0], length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

void Win32DialogWindow::SetItemText(int id, const std::wstring& text) { ::SetDlgItemTextW(m_hwnd, id, text.c_str()); }

void Win32DialogWindow::EnableItem(int id, bool enable) {
    ::EnableWindow(::GetDlgItem(m_hwnd, id), enable ? TRUE : FALSE);
}

bool Win32DialogWindow::IsItemEnabled(int id) { return ::IsWindowEnabled(::GetDlgItem(m_hwnd, id)) != FALSE; }

void Win32DialogWindow::FocusItem(int id) {
    // The dialog manager's own way, so the default button follows the focus.
    ::SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(m_hwnd, id)), TRUE);
}

int Win32DialogWindow::FocusedItem() {
    HWND focus = ::GetFocus();
    return focus != nullptr && ::IsChild(m_hwnd, focus) ? ::GetDlgCtrlID(focus) : 0;
}

void Win32DialogWindow::SetItemCueBanner(int id, const std::wstring& text) {
    ::SendDlgItemMessageW(m_hwnd, id, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void Win32DialogWindow::SelectAllText(int id) { ::SendDlgItemMessageW(m_hwnd, id, EM_SETSEL, 0, -1); }

bool Win32DialogWindow::IsItemChecked(int id) { return ::IsDlgButtonChecked(m_hwnd, id) == BST_CHECKED; }

void Win32DialogWindow::CheckItem(int id, bool checked) {
    ::CheckDlgButton(m_hwnd, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

std::vector<int> Win32DialogWindow::RadioGroup(int firstId) {
    std::vector<int> ids;
    HWND control = ::GetDlgItem(m_hwnd, firstId);
    while (control != nullptr) {
        if (::SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) ids.push_back(::GetDlgCtrlID(control));
        control = ::GetWindow(control, GW_HWNDNEXT);
        if (control != nullptr && (::GetWindowLongW(control, GWL_STYLE) & WS_GROUP)) break;
    }
    return ids;
}

void Win32DialogWindow::End(INT_PTR result) { ::EndDialog(m_hwnd, result); }

bool Win32DialogWindow::IsIconic() { return ::IsIconic(m_hwnd) != FALSE; }

LRESULT Win32DialogWindow::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageW(m_hwnd, message, wParam, lParam);
}

RECT Win32DialogWindow::ClientRect() {
    RECT rect{};
    ::GetClientRect(m_hwnd, &rect);
    return rect;
}

HDC Win32DialogWindow::BeginPaint() {
    m_painting = true;
    return ::BeginPaint(m_hwnd, &m_paint);
}

void Win32DialogWindow::EndPaint() {
    if (m_painting) ::EndPaint(m_hwnd, &m_paint);
    m_painting = false;
}

void Win32DialogWindow::DrawIcon(HDC dc, int x, int y, HICON icon) { ::DrawIcon(dc, x, y, icon); }

}  // namespace framework
