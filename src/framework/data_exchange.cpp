#include "framework/data_exchange.h"

#include <string>

#include "framework/win_app.h"

const wchar_t* const kPromptUnsignedNumber = L"Please enter a positive integer.";

void CDataExchange::PrepareCtrl(int id) {
    m_idLastControl = id;
    m_bEditLastControl = false;
}

void CDataExchange::PrepareEditCtrl(int id) {
    m_idLastControl = id;
    m_bEditLastControl = true;
}

void CDataExchange::Fail() {
    if (!m_bSaveAndValidate) throw CUserException();
    if (m_idLastControl != 0 && m_pDlgWnd->GetWindow() != nullptr) {
        framework::DialogWindow* window = m_pDlgWnd->GetWindow();
        window->FocusItem(m_idLastControl);
        if (m_bEditLastControl) window->SelectAllText(m_idLastControl);
    }
    throw CUserException();
}

void DDX_Text(CDataExchange* pDX, int id, CString& value) {
    pDX->PrepareEditCtrl(id);
    CWnd* control = pDX->m_pDlgWnd->GetDlgItem(id);
    if (pDX->m_bSaveAndValidate) {
        control->GetWindowText(value);
    } else {
        control->SetWindowText(value);
    }
}

bool ParseUnsignedDecimal(const std::wstring& text, UINT& value) {
    size_t i = 0;
    const size_t n = text.size();
    auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    while (i < n && blank(text[i])) ++i;
    if (i == n) return false;
    unsigned long long number = 0;
    size_t digits = 0;
    for (; i < n && text[i] >= L'0' && text[i] <= L'9'; ++i, ++digits) {
        number = number * 10 + static_cast<unsigned>(text[i] - L'0');
        if (number > 0xFFFFFFFFull) return false;
    }
    if (digits == 0) return false;
    while (i < n && blank(text[i])) ++i;
    if (i != n) return false;
    value = static_cast<UINT>(number);
    return true;
}

void DDX_Text(CDataExchange* pDX, int id, UINT& value) {
    pDX->PrepareEditCtrl(id);
    CWnd* control = pDX->m_pDlgWnd->GetDlgItem(id);
    if (pDX->m_bSaveAndValidate) {
        CString text;
        control->GetWindowText(text);
        UINT number = 0;
        if (!ParseUnsignedDecimal(text, number)) {
            AfxMessageBox(kPromptUnsignedNumber, MB_OK | MB_ICONEXCLAMATION);
            pDX->Fail();
        }
        value = number;
    } else {
        control->SetWindowText(std::to_wstring(value));
    }
}

void DDX_Radio(CDataExchange* pDX, int firstId, int& value) {
    pDX->PrepareCtrl(firstId);
    framework::DialogWindow* window = pDX->m_pDlgWnd->GetWindow();
    if (window == nullptr) return;
    const std::vector<int> buttons = window->RadioGroup(firstId);
    if (pDX->m_bSaveAndValidate) value = -1;
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (pDX->m_bSaveAndValidate) {
            if (window->IsItemChecked(buttons[i])) value = static_cast<int>(i);
        } else {
            window->CheckItem(buttons[i], static_cast<int>(i) == value);
        }
    }
}
