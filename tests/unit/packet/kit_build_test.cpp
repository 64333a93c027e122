// The kit build: the compiler's command line and defines, its start and the wait for it, the
// debug batch file, a failed start, and a cut configurator path that builds nothing.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/setup_client_app.h"
#include "app_bench.h"
#include "packet/create_client_packet_dlg.h"
#include "platform/fake/fake_process_launcher.h"
#include "platform/fake/fake_text_file_writer.h"

namespace {

// The kit build needs no window: an icon for the dialog object and the wait cursor, counted.
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

const wchar_t kCompiler[] = LR"(C:\Corvex\CorvexWorkstation\Packet\tools\makensis.exe)";
const wchar_t kBatchFile[] = LR"(C:\Corvex\client_packet_build.bat)";
const wchar_t kOutput[] = LR"(C:\Kits\kit one.exe)";

// The command line's defines and quoting (its split by the real shell is the Windows-side test's).
TEST_F(KitTest, StartsTheCompilerBesideTheConfiguratorUnderTheWaitCursorAndWaitsWithoutLimit) {
    int cursorAtStart = -1;
    launcher.onStart = [&](const platform::FakeProcessLauncher::Start&) { cursorAtStart = ui.waitCursorDepth; };
    dialog.SetNameChoice(1);
    ASSERT_EQ(dialog.BuildPacket(kOutput), TRUE);
    ASSERT_EQ(launcher.starts.size(), 1u);
    EXPECT_EQ(launcher.starts[0].applicationName, kCompiler);
    const std::wstring predefined =
        bench.folders.userAppData + L"\\Quentara\\Corvex Workstation\\PredefinedClientSettings\\";
    EXPECT_EQ(
        launcher.starts[0].commandLine,
        L" /DPRODUCT_VERSION_MAJOR=6.9 /DPRODUCT_VERSION_MINOR=6.8822 /DUSER_SETTINGS_DIR=\"" + predefined +
            L"User\\\\\" /DWORKSTATION_SETTINGS_DIR=\"" + predefined +
            L"Workstation\\\\\" "
            LR"(/DAPP_DIR_SUFFIX="Quentara\Corvex Workstation\\" /DOUTPUT="C:\Kits\kit one.exe" )"
            LR"(/DCURRENT_WORK_DIR="C:\Corvex\\" /DASK_FOR_PARAMETERS "C:\Corvex\CorvexWorkstation\Packet\build_packet.nsi")");
    EXPECT_EQ(launcher.starts[0].inheritHandles, TRUE);
    EXPECT_EQ(launcher.starts[0].creationFlags, 0x08000000u);           // CREATE_NO_WINDOW alone
    EXPECT_EQ(launcher.waitTimeouts, std::vector<DWORD>{0xFFFFFFFFu});  // INFINITE
    EXPECT_EQ(launcher.openHandles, 0);
    EXPECT_EQ(cursorAtStart, 1);
    EXPECT_EQ(ui.waitCursorDepth, 0);
    EXPECT_TRUE(textFiles.attempts.empty()) << "a batch file without --debug";
    EXPECT_TRUE(bench.prompts.messageBoxes.empty());
}

// The configurator's folder: the file name cut, one backslash appended (a root keeps its own).
TEST_F(KitTest, ModuleDirectoryIsTheFolderWithABackslashAndACutPathBuildsNothing) {
    for (const auto& [path, folder] : std::vector<std::pair<std::wstring, std::wstring>>{
             {LR"(C:\Program Files\Corvex\SetupClient.exe)", LR"(C:\Program Files\Corvex\)"},
             {LR"(C:\SetupClient.exe)", LR"(C:\\)"},
             {LR"(\\server\share\SetupClient.exe)", LR"(\\server\share\)"}}) {
        bench.module.path = path;
        EXPECT_EQ(CCreateClientPacketDlg::GetModuleDirectory(), folder);
    }
    EXPECT_EQ(bench.module.lastSize, 260u);
    bench.module.path = L"C:\\" + std::wstring(250, L'd') + L"\\SetupClient.exe";  // 269: the system cut it
    bench.CommandLine(L"--create_packet --debug");
    EXPECT_EQ(dialog.BuildPacket(kOutput), FALSE);
    EXPECT_TRUE(launcher.starts.empty());
    EXPECT_TRUE(textFiles.attempts.empty());
    ASSERT_EQ(bench.prompts.messageBoxes.size(), 1u);
    EXPECT_EQ(bench.prompts.messageBoxes[0].type, MB_OK | MB_ICONERROR);
    EXPECT_EQ(ui.waitCursorDepth, 0);
}

TEST_F(KitTest, AFailedStartTellsTheSystemsCodeAndWaitsForNothing) {
    for (DWORD code : {DWORD{2}, DWORD{0xFFFFFFFFu}}) {
        launcher.startError = code;
        bench.prompts.messageBoxes.clear();
        EXPECT_EQ(dialog.BuildPacket(kOutput), FALSE);
        ASSERT_EQ(bench.prompts.messageBoxes.size(), 1u);
        EXPECT_EQ(bench.prompts.messageBoxes[0].text,
                  L"Can't launch the client packet builder (system error is " + std::to_wstring(code) + L").");
        EXPECT_EQ(bench.prompts.messageBoxes[0].type, MB_OK | MB_ICONERROR);
    }
    EXPECT_TRUE(launcher.waitTimeouts.empty());
    EXPECT_EQ(launcher.openHandles, 0);
    EXPECT_EQ(ui.waitCursorDepth, 0);
}

// "--debug" standing whole: the command line, unquoted compiler, one blank, no line end, written
// before the start, also when the start then fails; a file that cannot be written is skipped.
TEST_F(KitTest, DebugBatchFileHoldsTheCommandBeforeTheStart) {
    for (const wchar_t* arguments : {L"--create_packet", L"--debug=1", L"debug"}) {
        bench.CommandLine(arguments);
        dialog.BuildPacket(kOutput);
    }
    EXPECT_TRUE(textFiles.attempts.empty());
    bench.CommandLine(L"--create_packet --DEBUG");
    bool writtenAtStart = false;
    launcher.onStart = [&](const platform::FakeProcessLauncher::Start&) {
        writtenAtStart = textFiles.files.count(kBatchFile) == 1;
    };
    dialog.SetNameChoice(1);
    dialog.BuildPacket(kOutput);
    EXPECT_TRUE(writtenAtStart);
    const std::wstring line = std::wstring(kCompiler) + L" " + dialog.ComposeBuildArguments(kOutput, LR"(C:\Corvex\)");
    EXPECT_EQ(textFiles.files[kBatchFile], std::string(line.begin(), line.end()));
    textFiles.files.clear();
    launcher.startError = 2;
    EXPECT_EQ(dialog.BuildPacket(kOutput), FALSE);
    EXPECT_EQ(textFiles.files.count(kBatchFile), 1u);
    launcher.startError = 0;
    textFiles.unopenable.insert(kBatchFile);
    bench.prompts.messageBoxes.clear();
    EXPECT_EQ(dialog.BuildPacket(kOutput), TRUE);
    EXPECT_TRUE(bench.prompts.messageBoxes.empty());
}

// Choosing the installer file: the kit's save dialog, the ".exe" rule and the replace question
// (Yes keeps the path, No asks again from it, Cancel gives up).
struct Choice {
    std::vector<std::optional<std::wstring>> files;  // chosen in the file dialogs, in the bench's folder
    std::vector<int> answers;                        // to the replace questions
    std::wstring result;
};
class OutputFileTest : public KitTest, public ::testing::WithParamInterface<Choice> {};

TEST_P(OutputFileTest, ExeRuleAndReplaceQuestion) {
    ASSERT_EQ(bench.files.WriteNewFile(bench.PathInRoot(L"old 1%.exe"), "old", false), 0u);
    for (const auto& file : GetParam().files)
        bench.prompts.fileAnswers.push_back(file ? bench.PathInRoot(*file) : file);
    for (int answer : GetParam().answers) bench.prompts.answers.push_back(answer);
    EXPECT_EQ(dialog.ChooseOutputFile(), GetParam().result.empty() ? L"" : bench.PathInRoot(GetParam().result));
    EXPECT_EQ(bench.prompts.fileDialogs.size(), GetParam().files.size());
    ASSERT_EQ(bench.prompts.messageBoxes.size(), GetParam().answers.size());
    const framework::FileDialogState& first = bench.prompts.fileDialogs[0].state;
    EXPECT_EQ(std::to_wstring(first.save) + first.defaultExtension + first.fileName + std::to_wstring(first.flags),
              L"1exeCorvexWorkstation_setup.exe0");  // no replace prompt of the dialog's own
    EXPECT_EQ(first.filters, (std::vector<std::pair<std::wstring, std::wstring>>{{L"Executive Files (*.exe)", L"*.exe"},
                                                                                 {L"All Files (*.*)", L"*.*"}}));
    if (GetParam().answers.empty()) return;
    const std::wstring asked = bench.PathInRoot(L"old 1%.exe");
    EXPECT_EQ(bench.prompts.messageBoxes[0].text, L"\"" + asked + L"\" already exists. Do you want to replace it?");
    EXPECT_EQ(bench.prompts.messageBoxes[0].type, MB_YESNOCANCEL | MB_ICONQUESTION);
    if (GetParam().files.size() > 1) EXPECT_EQ(bench.prompts.fileDialogs[1].state.fileName, asked);
}

INSTANTIATE_TEST_SUITE_P(Answers, OutputFileTest,
                         ::testing::Values(Choice{{L"kit"}, {}, L"kit.exe"}, Choice{{L"KIT.ExE"}, {}, L"KIT.ExE"},
                                           Choice{{L"a.exe.bak"}, {}, L"a.exe.bak.exe"},
                                           Choice{{L"kitexe"}, {}, L"kitexe.exe"}, Choice{{std::nullopt}, {}, L""},
                                           Choice{{L"old 1%"}, {IDYES}, L"old 1%.exe"},
                                           Choice{{L"old 1%.exe"}, {IDCANCEL}, L""},
                                           Choice{{L"old 1%.exe", L"new"}, {IDNO}, L"new.exe"},
                                           Choice{{L"old 1%.exe", std::nullopt}, {IDNO}, L""},
                                           Choice{{L"old 1%.exe", L"old 1%"}, {IDNO, IDYES}, L"old 1%.exe"}));

}  // namespace
