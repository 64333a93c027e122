#include "framework/headless/headless_window.h"

#include <stdexcept>

#include "framework/dialog.h"

namespace framework {

HeadlessWindow::HeadlessWindow(CDialog& dialog, const DialogTemplate& tmpl, HWND handle)
    : m_dialog(dialog), m_template(tmpl), m_handle(handle) {
    for (const ControlTemplate& c : tmpl.controls) {
        m_controls.push_back(Control{c, c.IsEdit() ? std::wstring() : c.text, !c.Has("WS_DISABLED")});
    }
}

HeadlessWindow::Control& HeadlessWindow::Find(int id) {
    for (Control& c : m_controls) {
        if (c.tmpl.id == id) return c;
    }
    throw std::out_of_range("dialog " + std::to_string(m_template.id) + " has no control " + std::to_string(id));
}

const HeadlessWindow::Control* HeadlessWindow::FindOrNull(int id) const {
    for (const Control& c : m_controls) {
        if (c.tmpl.id == id) return &c;
    }
    return nullptr;
}

bool HeadlessWindow::Type(int id, const std::wstring& text) {
    Control& c = Find(id);
    if (!c.enabled || m_ended) return false;
    if (c.tmpl.Has("ES_NUMBER")) {
        // A digits-only edit refuses other characters as they are typed.
        for (wchar_t ch : text) {
            if (ch < L'0' || ch > L'9') return false;
        }
    }
    m_focus = id;
    c.text = text;
    m_dialog.HandleCommand(EN_CHANGE, static_cast<UINT>(id));
    return true;
}

bool HeadlessWindow::Click(int id) {
    Control& c = Find(id);
    if (!c.enabled || m_ended) return false;
    if (c.tmpl.Has("BS_AUTORADIOBUTTON")) {
        // The automatic radio button checks itself and clears the others of its group: the
        // controls from the last one that starts a group up to the next one.
        size_t first = static_cast<size_t>(&c - m_controls.data());
        while (first > 0 && !m_controls[first].tmpl.Has("WS_GROUP")) --first;
        for (size_t i = first; i < m_controls.size(); ++i) {
            if (i > first && m_controls[i].tmpl.Has("WS_GROUP")) break;
            if (m_controls[i].tmpl.IsRadio()) m_controls[i].checked = false;
        }
        c.checked = true;
    }
    if (c.tmpl.Has("WS_TABSTOP")) m_focus = id;
    m_dialog.HandleCommand(BN_CLICKED, static_cast<UINT>(id));
    return true;
}

void HeadlessWindow::PressEscape() {
    if (!m_ended) m_dialog.HandleCommand(BN_CLICKED, IDCANCEL);
}

void HeadlessWindow::Close() {
    // The dialog manager turns a close request into the Cancel command.
    if (!m_ended) m_dialog.HandleCommand(BN_CLICKED, IDCANCEL);
}

void HeadlessWindow::Paint() { m_dialog.HandleMessage(WM_PAINT, nullptr); }

HCURSOR HeadlessWindow::QueryDragIcon() {
    LRESULT result = 0;
    m_dialog.HandleMessage(WM_QUERYDRAGICON, &result);
    return reinterpret_cast<HCURSOR>(result);
}

std::wstring HeadlessWindow::Text(int id) const {
    const Control* c = FindOrNull(id);
    if (c == nullptr) throw std::out_of_range("no control " + std::to_string(id));
    return c->text;
}

bool HeadlessWindow::Enabled(int id) const {
    const Control* c = FindOrNull(id);
    if (c == nullptr) throw std::out_of_range("no control " + std::to_string(id));
    return c->enabled;
}

bool HeadlessWindow::Checked(int id) const {
    const Control* c = FindOrNull(id);
    if (c == nullptr) throw std::out_of_range("no control " + std::to_string(id));
    return c->checked;
}

void HeadlessWindow::FocusFirstTabStop() {
    for (const Control& c : m_controls) {
        if (c.enabled && c.tmpl.Has("WS_TABSTOP")) {
            m_focus = c.tmpl.id;
            return;
        }
    }
}

void HeadlessWindow::SetItemText(int id, const std::wstring& text) {
    Control& c = Find(id);
    c.text = text;
    // Like a real edit control, a text set by the program is announced as a change too.
    if (c.tmpl.IsEdit()) m_dialog.HandleCommand(EN_CHANGE, static_cast<UINT>(id));
}

void HeadlessWindow::EnableItem(int id, bool enable) {
    Control& c = Find(id);
    c.enabled = enable;
    // A control that loses its enabled state loses the focus as well.
    if (!enable && m_focus == id) m_focus = 0;
}

void HeadlessWindow::FocusItem(int id) {
    Find(id);
    m_focus = id;
}

void HeadlessWindow::CheckItem(int id, bool checked) { Find(id).checked = checked; }

std::vector<int> HeadlessWindow::RadioGroup(int firstId) {
    std::vector<int> ids;
    bool inGroup = false;
    for (const Control& c : m_controls) {
        if (!inGroup) {
            if (c.tmpl.id != firstId) continue;
            inGroup = true;
        } else if (c.tmpl.Has("WS_GROUP")) {
            break;
        }
        if (c.tmpl.IsRadio()) ids.push_back(c.tmpl.id);
    }
    return ids;
}

void HeadlessWindow::End(INT_PTR result) {
    m_ended = true;
    m_result = result;
}

LRESULT HeadlessWindow::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    m_sent.push_back(SentMessage{message, wParam, lParam});
    return 0;
}

HDC HeadlessWindow::BeginPaint() { return reinterpret_cast<HDC>(static_cast<std::uintptr_t>(0xDC)); }

void HeadlessWindow::DrawIcon(HDC, int x, int y, HICON icon) { m_drawn.push_back(DrawnIcon{x, y, icon}); }

}  // namespace framework
