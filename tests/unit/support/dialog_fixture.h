// A settings dialog under test: the bench around the real library with the agent's settings
// stored as a previous save left them, the application object, and a way to run a dialog
// with a test playing the user.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/setup_client_app.h"
#include "app_bench.h"

namespace testing_support {

class DialogFixture : public ::testing::Test {
protected:
    DialogFixture() {
        bench.StoreAgentSettings(L"backup.example.com", 9750, L"CORP\\backup", L"WS-01");
        app.InitAppTitle();
    }

    // Runs the dialog with `user` playing the user; gives how it ended.
    INT_PTR Run(CDialog& dialog, std::function<void(framework::HeadlessWindow&)> user) {
        bench.ui.onDialog = std::move(user);
        return dialog.DoModal();
    }

    // The texts of the message boxes shown so far, in order.
    std::vector<std::wstring> Shown() const {
        std::vector<std::wstring> texts;
        for (const auto& box : bench.ui.messageBoxes) texts.push_back(box.text);
        return texts;
    }

    AppBench bench;
    CSetupClientApp app;
};

}  // namespace testing_support
