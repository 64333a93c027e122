#include "prompt_answerer.h"

namespace testing_support {

PromptAnswerer::PromptAnswerer() : m_previous(framework::InstallPrompts(this)) {}

PromptAnswerer::~PromptAnswerer() { framework::InstallPrompts(m_previous); }

int PromptAnswerer::MessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
    messageBoxes.push_back(
        ShownMessageBox{text, caption, type, owner != nullptr, focusedControl ? focusedControl() : 0});
    if (!answers.empty()) {
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    if ((type & MB_TYPEMASK) == MB_OK) return IDOK;
    ++unanswered;
    return IDCANCEL;
}

bool PromptAnswerer::ShowFileDialog(framework::FileDialogState& state) {
    fileDialogs.push_back(ShownFileDialog{state, false});
    if (fileAnswers.empty()) {
        ++unanswered;
        return false;
    }
    const std::optional<std::wstring> answer = fileAnswers.front();
    fileAnswers.pop_front();
    if (!answer) return false;
    state.fileName = *answer;
    fileDialogs.back().chosen = true;
    return true;
}

}  // namespace testing_support
