// A settings dialog under test: the bench around the real library with the agent's settings
// stored as a previous save left them, the application object, and a way to run a real
// dialog with a test playing the user.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/setup_client_app.h"
#include "app_bench.h"
#include "dialog_driver.h"

namespace testing_support {

class DialogFixture : public ::testing::Test {
protected:
    DialogFixture() {
        bench.StoreAgentSettings(L"backup.example.com", 9750, L"CORP\\backup", L"WS-01");
        app.InitAppTitle();
    }

    // Runs the dialog with `user` playing the user; gives how it ended.
    INT_PTR Run(CDialog& dialog, std::function<void(DialogDriver&)> user) {
        return RunModal([&] { return dialog.DoModal(); }, user);
    }

    // The texts of the message boxes shown so far, in order.
    std::vector<std::wstring> Shown() const { return bench.prompts.Texts(); }

    AppBench bench;
    CSetupClientApp app;
};

}  // namespace testing_support
