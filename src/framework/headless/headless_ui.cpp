#include "framework/headless/headless_ui.h"

#include <stdexcept>

#include "framework/dialog.h"

namespace framework {

HeadlessUi::HeadlessUi(const std::string& rcPath) : m_templates(ReadDialogTemplates(rcPath)) {}

const DialogTemplate& HeadlessUi::Template(UINT id) const {
    auto it = m_templates.find(id);
    if (it == m_templates.end()) throw std::out_of_range("no dialog template " + std::to_string(id));
    return it->second;
}

BOOL HeadlessUi::InitCommonControls(DWORD classes) {
    commonControlsRegistered.push_back(classes);
    return TRUE;
}

HICON HeadlessUi::IconHandle(UINT resourceId) {
    return reinterpret_cast<HICON>(static_cast<std::uintptr_t>(0x10000 + resourceId));
}

HICON HeadlessUi::LoadIcon(UINT resourceId) {
    iconsLoaded.push_back(resourceId);
    return IconHandle(resourceId);
}

int HeadlessUi::GetSystemMetrics(int index) { return index == SM_CXICON || index == SM_CYICON ? 32 : 0; }

INT_PTR HeadlessUi::RunModal(CDialog& dialog, UINT templateId) {
    dialogsShown.push_back(templateId);
    const HWND handle = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x20000 + dialogsShown.size()));
    lastWindow.reset(new HeadlessWindow(dialog, Template(templateId), handle));
    HeadlessWindow& window = *lastWindow;
    HeadlessWindow* outer = m_open;
    m_open = &window;

    if (dialog.HandleInitDialog(&window) && window.Focus() == 0) window.FocusFirstTabStop();
    if (!window.Ended() && onDialog) onDialog(window);

    dialog.HandleDestroy();
    m_open = outer;
    return window.Ended() ? window.Result() : kLeftOpen;
}

int HeadlessUi::Answer(ShownMessageBox shown) {
    shown.focus = m_open != nullptr ? m_open->Focus() : 0;
    const UINT buttons = shown.type & MB_TYPEMASK;
    if (!answers.empty()) {
        shown.answer = answers.front();
        answers.pop_front();
    } else if (buttons == MB_OK) {
        shown.answer = IDOK;
    } else {
        shown.answer = IDCANCEL;
        ++unanswered;
    }
    if (onMessageBox) onMessageBox(shown);
    messageBoxes.push_back(shown);
    return shown.answer;
}

int HeadlessUi::MessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
    return Answer(ShownMessageBox{text, caption, type, false, owner != nullptr, 0, 0});
}

int HeadlessUi::MessageBoxNarrow(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    return Answer(ShownMessageBox{std::wstring(text.begin(), text.end()), std::wstring(caption.begin(), caption.end()),
                                  type, true, owner != nullptr, 0, 0});
}

HWND HeadlessUi::ActiveWindow() { return m_open != nullptr ? m_open->Handle() : nullptr; }

bool HeadlessUi::ShowFileDialog(FileDialogState& state) {
    ShownFileDialog shown{state, false};
    if (fileAnswers.empty()) {
        ++unanswered;
    } else {
        std::optional<std::wstring> answer = fileAnswers.front();
        fileAnswers.pop_front();
        if (answer) {
            state.fileName = *answer;
            shown.chosen = true;
        }
    }
    fileDialogs.push_back(shown);
    return shown.chosen;
}

void HeadlessUi::BeginWaitCursor() {
    ++waitCursorShown;
    ++waitCursorDepth;
    if (waitCursorDepth > waitCursorMaxDepth) waitCursorMaxDepth = waitCursorDepth;
}

void HeadlessUi::EndWaitCursor() { --waitCursorDepth; }

}  // namespace framework
