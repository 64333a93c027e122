// The application's bench plus what the kit build needs: a process launcher that records the
// compiler's start, a text file writer that keeps the debug batch file, and a user interface
// without windows that counts the wait cursor; with the application object and one kit dialog.
#pragma once

#include <gtest/gtest.h>

#include "app/setup_client_app.h"
#include "app_bench.h"
#include "packet/create_client_packet_dlg.h"
#include "platform/fake/fake_process_launcher.h"
#include "platform/fake/fake_text_file_writer.h"

namespace packet_test {

class WindowlessUi : public framework::UiBackend {
public:
    int waitCursorDepth = 0;
    BOOL InitCommonControls(DWORD) override { return TRUE; }
    HICON LoadIcon(UINT) override { return nullptr; }
    int GetSystemMetrics(int) override { return 0; }
    INT_PTR RunModal(CDialog&, UINT) override { return -1; }
    HWND ActiveWindow() override { return nullptr; }
    void BeginWaitCursor() override { ++waitCursorDepth; }
    void EndWaitCursor() override { --waitCursorDepth; }
};

class TestPacketDlg : public CCreateClientPacketDlg {
public:
    void SetNameChoice(int choice) { m_nameChoice = choice; }
};

class KitTest : public ::testing::Test {
protected:
    KitTest() : previousUi_(framework::InstallUi(&ui)) {
        platform::Seams seams = platform::Current();
        seams.processes = &launcher;
        seams.textFiles = &textFiles;
        previous_ = platform::Install(seams);
    }
    ~KitTest() override {
        platform::Install(previous_);
        framework::InstallUi(previousUi_);
    }

    testing_support::AppBench bench;
    platform::FakeProcessLauncher launcher;
    platform::FakeTextFileWriter textFiles;
    WindowlessUi ui;
    framework::UiBackend* previousUi_;
    platform::Seams previous_;
    CSetupClientApp app;
    TestPacketDlg dialog;
};

}  // namespace packet_test
