// The application's test bench plus what the kit build needs: a process launcher that
// records the compiler's start and a text file writer that keeps the debug batch file.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app_bench.h"
#include "packet/create_client_packet_dlg.h"
#include "platform/fake/fake_process_launcher.h"
#include "platform/fake/fake_text_file_writer.h"

namespace testing_support {

class PacketBench : public AppBench {
public:
    PacketBench();
    ~PacketBench();

    // A Windows-style path inside the bench's temporary folder.
    std::wstring PathInRoot(const std::wstring& relative) const;

    platform::FakeProcessLauncher launcher;
    platform::FakeTextFileWriter textFiles;

private:
    platform::Seams m_withoutKitSeams;
};

// The kit dialog with its choice and folders open to a test.
class TestPacketDlg : public CCreateClientPacketDlg {
public:
    void SetNameChoice(int choice) { m_nameChoice = choice; }
    int NameChoice() const { return m_nameChoice; }
};

// A test with the bench and one kit dialog; Run shows the dialog with `user` playing the user.
class KitTest : public ::testing::Test {
protected:
    INT_PTR Run(std::function<void(framework::HeadlessWindow&)> user) {
        bench.ui.onDialog = std::move(user);
        return dialog.DoModal();
    }

    PacketBench bench;
    TestPacketDlg dialog;
};

}  // namespace testing_support
