// The application's test bench plus what the kit build needs: a process launcher that
// records the compiler's start, a text file writer that keeps the debug batch file, and a
// user-interface backend without windows that counts the wait cursor.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/setup_client_app.h"
#include "app_bench.h"
#include "packet/create_client_packet_dlg.h"
#include "platform/fake/fake_process_launcher.h"
#include "platform/fake/fake_text_file_writer.h"

namespace testing_support {

// The kit build shows no dialog of its own; it needs an icon for the dialog object and the
// wait cursor.
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

class PacketBench : public AppBench {
public:
    PacketBench();
    ~PacketBench();

    platform::FakeProcessLauncher launcher;
    platform::FakeTextFileWriter textFiles;
    WindowlessUi ui;

private:
    platform::Seams m_withoutKitSeams;
    framework::UiBackend* m_previousUi;
};

// The kit dialog with its choice open to a test.
class TestPacketDlg : public CCreateClientPacketDlg {
public:
    void SetNameChoice(int choice) { m_nameChoice = choice; }
};

// A test with the bench, the application object (its switch rule) and one kit dialog.
class KitTest : public ::testing::Test {
protected:
    PacketBench bench;
    CSetupClientApp app;
    TestPacketDlg dialog;
};

}  // namespace testing_support
