// The test's side of the framework's prompts seam: answers message boxes and file dialogs
// from queues and records what was shown. Installed for its lifetime.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/prompts.h"

namespace testing_support {

struct ShownMessageBox {
    std::wstring text, caption;
    UINT type;
    int focus;         // the control that had the focus when it was shown (0: none)
    bool owned, wait;  // had an owner window; shown under the wait cursor
};

class PromptAnswerer : public framework::Prompts {
public:
    PromptAnswerer() : m_previous(framework::InstallPrompts(this)) {}
    ~PromptAnswerer() override { framework::InstallPrompts(m_previous); }

    // Answers to message boxes, in order; a box with only OK needs none, a question without
    // one gets IDCANCEL.
    std::deque<int> answers;
    // Answers to file dialogs, in order: a path chooses it, nothing cancels.
    std::deque<std::optional<std::wstring>> fileAnswers;
    // Give the control that has the focus and whether the wait cursor shows (set where there are real windows).
    std::function<int()> focusedControl;
    std::function<bool()> waitCursor;

    std::vector<ShownMessageBox> messageBoxes;
    std::vector<framework::FileDialogState> fileDialogs;  // each as it was shown

    int MessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override {
        messageBoxes.push_back(ShownMessageBox{text, caption, type, focusedControl ? focusedControl() : 0,
                                               owner != nullptr, waitCursor && waitCursor()});
        // A question shows its icon and offers a choice; anything else is told with OK alone.
        EXPECT_EQ((type & MB_ICONMASK) == MB_ICONQUESTION, (type & MB_TYPEMASK) != MB_OK) << type;
        if (answers.empty()) return (type & MB_TYPEMASK) == MB_OK ? IDOK : IDCANCEL;
        const int answer = answers.front();
        return answers.pop_front(), answer;
    }
    bool ShowFileDialog(framework::FileDialogState& state) override {
        if (fileDialogs.push_back(state), fileAnswers.empty()) return false;
        const std::optional<std::wstring> answer = fileAnswers.front();
        return state.fileName = answer.value_or(state.fileName), fileAnswers.pop_front(), answer.has_value();
    }

private:
    framework::Prompts* m_previous;
};

}  // namespace testing_support
