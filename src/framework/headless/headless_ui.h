// The headless backend: dialogs run in memory from the real resource script, a test script
// plays the user, and everything shown is recorded.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/headless/headless_window.h"
#include "framework/headless/rc_templates.h"
#include "framework/ui_backend.h"

namespace framework {

struct ShownMessageBox {
    std::wstring text;
    std::wstring caption;
    UINT type;
    bool narrow;    // shown with the narrow-text call
    bool owned;     // had an owner window
    int focus;      // the control that had the focus in the open dialog, 0 if none
    int answer;
};

struct ShownFileDialog {
    FileDialogState state;  // as it was when shown
    bool chosen;
};

class HeadlessUi : public UiBackend {
public:
    explicit HeadlessUi(const std::string& rcPath);

    // --- the script ---
    // Runs while a dialog is open, once its initialisation is done; it plays the user.
    std::function<void(HeadlessWindow&)> onDialog;
    // Answers to message boxes, in order. A box with only OK needs none; a question without
    // an answer gets IDCANCEL and is counted in `unanswered`.
    std::deque<int> answers;
    // Runs when a message box is shown, before it is answered.
    std::function<void(const ShownMessageBox&)> onMessageBox;
    // Answers to file dialogs, in order: a path chooses it, nothing cancels.
    std::deque<std::optional<std::wstring>> fileAnswers;

    // --- the record ---
    std::vector<ShownMessageBox> messageBoxes;
    std::vector<ShownFileDialog> fileDialogs;
    std::vector<UINT> dialogsShown;
    std::vector<DWORD> commonControlsRegistered;
    std::vector<UINT> iconsLoaded;
    int unanswered = 0;
    int waitCursorDepth = 0;
    int waitCursorMaxDepth = 0;
    int waitCursorShown = 0;
    // The last dialog window, kept after its dialog ended so a test can look at it.
    std::unique_ptr<HeadlessWindow> lastWindow;
    // The result RunModal gives for a dialog that the script left open.
    static constexpr INT_PTR kLeftOpen = -2;

    const DialogTemplate& Template(UINT id) const;

    // --- UiBackend ---
    BOOL InitCommonControls(DWORD classes) override;
    HICON LoadIcon(UINT resourceId) override;
    int GetSystemMetrics(int index) override;
    INT_PTR RunModal(CDialog& dialog, UINT templateId) override;
    int MessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override;
    int MessageBoxNarrow(HWND owner, const std::string& text, const std::string& caption, UINT type) override;
    HWND ActiveWindow() override;
    bool ShowFileDialog(FileDialogState& state) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;

    // The icon handle that LoadIcon gives for a resource.
    static HICON IconHandle(UINT resourceId);

private:
    int Answer(ShownMessageBox shown);

    std::map<UINT, DialogTemplate> m_templates;
    HeadlessWindow* m_open = nullptr;
};

}  // namespace framework
