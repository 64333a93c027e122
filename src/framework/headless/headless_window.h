// A dialog window kept in memory: controls from the template, their text, state and focus.
// Tests act on it as a user would (type, click, press Escape) and read what it shows.
#pragma once

#include <string>
#include <vector>

#include "framework/headless/rc_templates.h"
#include "framework/ui_backend.h"

class CDialog;

namespace framework {

struct SentMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

struct DrawnIcon {
    int x;
    int y;
    HICON icon;
};

class HeadlessWindow : public DialogWindow {
public:
    HeadlessWindow(CDialog& dialog, const DialogTemplate& tmpl, HWND handle);

    // --- what a user does ---
    // Types a text into an edit control (replacing its text); false if the control is disabled.
    bool Type(int id, const std::wstring& text);
    // Clicks a button (an automatic radio button checks itself first); false if disabled.
    bool Click(int id);
    void PressEscape();
    // A close request (the caption's close button, Alt+F4, WM_CLOSE).
    void Close();
    void SetIconic(bool iconic) { m_iconic = iconic; }
    // Asks the dialog to paint itself (WM_PAINT).
    void Paint();
    // Asks for the drag icon (WM_QUERYDRAGICON).
    HCURSOR QueryDragIcon();

    // --- what the user sees ---
    std::wstring Text(int id) const;
    bool Enabled(int id) const;
    bool Checked(int id) const;
    std::wstring CueBanner(int id) const { return FindOrNull(id) != nullptr ? FindOrNull(id)->cueBanner : L""; }
    int Focus() const { return m_focus; }
    bool Ended() const { return m_ended; }
    INT_PTR Result() const { return m_result; }
    const DialogTemplate& Template() const { return m_template; }
    const std::vector<SentMessage>& Sent() const { return m_sent; }
    const std::vector<DrawnIcon>& Drawn() const { return m_drawn; }
    int DefaultPaints() const { return m_defaultPaints; }
    // Focus on the first enabled tab stop, as the system does after an initialisation that
    // returns TRUE.
    void FocusFirstTabStop();

    // --- DialogWindow ---
    HWND Handle() override { return m_handle; }
    std::wstring GetItemText(int id) override { return Text(id); }
    void SetItemText(int id, const std::wstring& text) override;
    void EnableItem(int id, bool enable) override;
    bool IsItemEnabled(int id) override { return Enabled(id); }
    void FocusItem(int id) override;
    int FocusedItem() override { return m_focus; }
    void SetItemCueBanner(int id, const std::wstring& text) override { Find(id).cueBanner = text; }
    void SelectAllText(int id) override { m_selectedAll = id; }
    bool IsItemChecked(int id) override { return Checked(id); }
    void CheckItem(int id, bool checked) override;
    std::vector<int> RadioGroup(int firstId) override;
    void End(INT_PTR result) override;
    bool IsIconic() override { return m_iconic; }
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) override;
    RECT ClientRect() override { return RECT{0, 0, 483, 448}; }
    HDC BeginPaint() override;
    void EndPaint() override {}
    void DrawIcon(HDC dc, int x, int y, HICON icon) override;
    void DefaultPaint() override { ++m_defaultPaints; }

private:
    struct Control {
        ControlTemplate tmpl;
        std::wstring text;
        bool enabled;
        bool checked = false;
        std::wstring cueBanner = std::wstring();
    };
    Control& Find(int id);
    const Control* FindOrNull(int id) const;

    CDialog& m_dialog;
    DialogTemplate m_template;
    HWND m_handle;
    std::vector<Control> m_controls;
    int m_focus = 0;
    int m_selectedAll = 0;
    bool m_ended = false;
    INT_PTR m_result = 0;
    bool m_iconic = false;
    std::vector<SentMessage> m_sent;
    std::vector<DrawnIcon> m_drawn;
    int m_defaultPaints = 0;
};

}  // namespace framework
