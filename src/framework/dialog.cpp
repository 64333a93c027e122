#include "framework/dialog.h"

#include <exception>
#include <stdexcept>

#include "framework/data_exchange.h"
#include "framework/prompts.h"

namespace {

// Runs a handler at the window procedure's boundary: no exception goes past it.
template <typename F>
auto Guarded(F&& handler, decltype(handler()) onError) -> decltype(handler()) {
    try {
        return handler();
    } catch (const std::exception& e) {
        ShowErrorBox(e.what());
    } catch (...) {
        ShowErrorBox("An unexpected error occurred.");
    }
    return onError;
}

// Raised while the dialog writes into or reads from its controls.
class NotificationLock {
public:
    explicit NotificationLock(int& count) : m_count(count) { ++m_count; }
    ~NotificationLock() { --m_count; }
    NotificationLock(const NotificationLock&) = delete;
    NotificationLock& operator=(const NotificationLock&) = delete;

private:
    int& m_count;
};

}  // namespace

CDialog::CDialog(UINT templateId, CWnd* /*parent*/) : m_templateId(templateId) {}

CDialog::~CDialog() = default;

const MessageMap* CDialog::GetMessageMap() const {
    static const MessageMapEntry entries[] = {
        MapCommand(BN_CLICKED, IDOK, &CDialog::OnOK),
        MapCommand(BN_CLICKED, IDCANCEL, &CDialog::OnCancel),
    };
    static const MessageMap map{CWnd::GetMessageMap(), entries, sizeof(entries) / sizeof(entries[0])};
    return &map;
}

INT_PTR CDialog::DoModal() { return framework::Ui().RunModal(*this, m_templateId); }

BOOL CDialog::OnInitDialog() {
    if (!UpdateData(FALSE)) {
        EndDialog(-1);
        return FALSE;
    }
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange* /*pDX*/) {}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    NotificationLock lock(m_notificationLock);
    CDataExchange exchange(this, saveAndValidate);
    try {
        DoDataExchange(&exchange);
    } catch (const CUserException&) {
        return FALSE;  // the user has been told and the control has the focus
    }
    return TRUE;
}

void CDialog::EndDialog(int result) {
    if (m_window == nullptr) throw std::logic_error("EndDialog on a dialog that is not open");
    m_window->End(result);
}

CWnd* CDialog::GetDlgItem(int id) {
    std::unique_ptr<CWnd>& item = m_items[id];
    if (!item) item.reset(new CWnd(m_window, id));
    return item.get();
}

CWnd* CDialog::GetFocus() {
    const int id = m_window != nullptr ? m_window->FocusedItem() : 0;
    return id != 0 ? GetDlgItem(id) : nullptr;
}

BOOL CDialog::IsIconic() const { return m_window != nullptr && m_window->IsIconic() ? TRUE : FALSE; }

LRESULT CDialog::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return m_window != nullptr ? m_window->Send(message, wParam, lParam) : 0;
}

void CDialog::GetClientRect(RECT* rect) const {
    *rect = m_window != nullptr ? m_window->ClientRect() : RECT{0, 0, 0, 0};
}

void CDialog::OnPaint() {
    if (m_window != nullptr) m_window->DefaultPaint();
}

BOOL CDialog::HandleInitDialog(framework::DialogWindow* window) {
    m_window = window;
    m_items.clear();
    return Guarded([this] { return OnInitDialog(); }, FALSE);
}

bool CDialog::HandleCommand(UINT code, UINT id) {
    // The dialog's own writes into its controls are not the user's edits.
    if (m_notificationLock > 0) return false;
    return Guarded([&] { return DispatchCommand(code, id); }, true);
}

bool CDialog::HandleMessage(UINT message, LRESULT* result) {
    return Guarded([&] { return DispatchMessage(message, result); }, true);
}

void CDialog::HandleDestroy() {
    m_items.clear();
    m_window = nullptr;
}

CPaintDC::CPaintDC(CDialog* dialog) : m_window(dialog->GetWindow()), m_hDC(nullptr) {
    if (m_window != nullptr) m_hDC = m_window->BeginPaint();
}

CPaintDC::~CPaintDC() {
    if (m_window != nullptr) m_window->EndPaint();
}

BOOL CPaintDC::DrawIcon(int x, int y, HICON icon) {
    if (m_window == nullptr) return FALSE;
    m_window->DrawIcon(m_hDC, x, y, icon);
    return TRUE;
}
