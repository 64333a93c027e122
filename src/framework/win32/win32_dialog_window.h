// A live Win32 dialog window as the framework sees it.
#pragma once

#include "framework/ui_backend.h"

namespace framework {

class Win32DialogWindow : public DialogWindow {
public:
    explicit Win32DialogWindow(HWND hwnd) : m_hwnd(hwnd) {}

    HWND Handle() override { return m_hwnd; }
    std::wstring GetItemText(int id) override;
    void SetItemText(int id, const std::wstring& text) override;
    void EnableItem(int id, bool enable) override;
    bool IsItemEnabled(int id) override;
    void FocusItem(int id) override;
    int FocusedItem() override;
    void SetItemCueBanner(int id, const std::wstring& text) override;
    void SelectAllText(int id) override;
    bool IsItemChecked(int id) override;
    void CheckItem(int id, bool checked) override;
    std::vector<int> RadioGroup(int firstId) override;
    void End(INT_PTR result) override;
    bool IsIconic() override;
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) override;
    RECT ClientRect() override;
    HDC BeginPaint() override;
    void EndPaint() override;
    void DrawIcon(HDC dc, int x, int y, HICON icon) override;
    void DefaultPaint() override { m_defaultPaint = true; }

    // Whether the last WM_PAINT handler asked for the system's own painting.
    bool TakeDefaultPaintRequest() {
        const bool requested = m_defaultPaint;
        m_defaultPaint = false;
        return requested;
    }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_paint{};
    bool m_painting = false;
    bool m_defaultPaint = false;
};

}  // namespace framework
