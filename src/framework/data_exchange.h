// Data exchange between a dialog's fields and its controls, one call per control.
#pragma once

#include "framework/dialog.h"

// Thrown by CDataExchange::Fail once the user has been told; UpdateData catches it.
class CUserException {};

class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

    BOOL m_bSaveAndValidate;  // TRUE: controls to fields
    CDialog* m_pDlgWnd;

    // Notes the control being exchanged, for the focus after a refused entry.
    void PrepareCtrl(int id);
    void PrepareEditCtrl(int id);
    // Puts the focus on the last prepared control (selecting an edit's text) and ends the
    // exchange.
    [[noreturn]] void Fail();

private:
    int m_idLastControl = 0;
    bool m_bEditLastControl = false;
};

// The text of a control.
void DDX_Text(CDataExchange* pDX, int id, CString& value);
// An unsigned decimal number. Reading refuses anything else (an empty text included) with
// the standard prompt, and puts the focus back on the control.
void DDX_Text(CDataExchange* pDX, int id, UINT& value);
// A radio group given by its first button: the index of the checked button, -1 for none.
void DDX_Radio(CDataExchange* pDX, int firstId, int& value);

// The standard prompt for a number that can't be read.
extern const wchar_t* const kPromptUnsignedNumber;

// Reads an unsigned decimal number as the exchange does: digits only, blanks allowed
// around them, at most 4294967295. False when the text is anything else.
bool ParseUnsignedDecimal(const std::wstring& text, UINT& value);
