// Plays the user on a real dialog of this process: types, clicks, presses Escape, closes,
// and reads texts, enabled and checked states and the focus. Everything happens on the
// dialog's own thread, from inside its modal loop, through the messages Windows sends for
// a user's actions.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace testing_support {

class DialogDriver {
public:
    explicit DialogDriver(HWND dialog) : m_dialog(dialog) {}

    // Replaces the text of an edit control: a digits-only box is typed into character by
    // character (WM_CHAR, so its filter applies), any other box gets the text as a paste
    // does (WM_SETTEXT). False when the control is disabled or does not show the text.
    bool Type(int id, const std::wstring& text);
    // Clicks a button (BM_CLICK); false when it is disabled.
    bool Click(int id);
    void PressEscape();
    // A close request (WM_CLOSE, as the caption's close button sends).
    void Close();

    std::wstring Text(int id) const;
    bool Has(int id) const { return ::GetDlgItem(m_dialog, id) != nullptr; }
    bool Enabled(int id) const;
    bool Checked(int id) const;
    // The identifier of the control with the focus, 0 when none of the dialog's has it.
    int Focus() const;
    // Whether the dialog has ended (EndDialog hides it at once).
    bool Ended() const { return ::IsWindowVisible(m_dialog) == FALSE; }

private:
    void Pump();
    HWND Item(int id) const { return ::GetDlgItem(m_dialog, id); }

    HWND m_dialog;
};

// What RunModal gives for a dialog that the user left open (the driver then ends it).
constexpr INT_PTR kLeftOpen = -2;

// Calls `show` (which opens a modal dialog, e.g. DoModal or a whole run of the program) and
// runs `user` on the first dialog that appears. Gives what `show` gives; `shown` (if given)
// tells whether a dialog appeared.
INT_PTR RunModal(const std::function<INT_PTR()>& show, const std::function<void(DialogDriver&)>& user,
                 bool* shown = nullptr);

}  // namespace testing_support
