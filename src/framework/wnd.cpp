#include "framework/wnd.h"

#include <stdexcept>

namespace {
framework::DialogWindow& Live(framework::DialogWindow* window) {
    if (window == nullptr) throw std::logic_error("the window is not open");
    return *window;
}
}  // namespace

BOOL CWnd::EnableWindow(BOOL enable) {
    framework::DialogWindow& window = Live(m_window);
    const bool wasDisabled = !window.IsItemEnabled(m_id);
    window.EnableItem(m_id, enable != FALSE);
    return wasDisabled ? TRUE : FALSE;
}

BOOL CWnd::IsWindowEnabled() const { return Live(m_window).IsItemEnabled(m_id) ? TRUE : FALSE; }

void CWnd::SetFocus() { Live(m_window).FocusItem(m_id); }

void CWnd::SetCueBanner(const std::wstring& text) { Live(m_window).SetItemCueBanner(m_id, text); }

void CWnd::SetWindowText(const std::wstring& text) { Live(m_window).SetItemText(m_id, text); }

void CWnd::GetWindowText(CString& text) const { text = Live(m_window).GetItemText(m_id); }
