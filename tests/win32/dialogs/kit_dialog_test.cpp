// The kit dialog as a user drives it (the workstation-name choice and box 1002, the settings
// stored in the two predefined folders, the output file and the success message, predefined
// settings that cannot be loaded), and the kit build behind "Create": the compiler's command
// line, its start and the wait, the debug batch file, a failed start and a cut configurator path.
#include <filesystem>

#include "dialog_bench.h"
#include "packet/create_client_packet_dlg.h"
#include "params/corvex_parameters.h"
#include "platform/fake/fake_process_launcher.h"
#include "platform/win32/win32_process_launcher.h"
#include "platform/win32/win32_text_file_writer.h"

namespace {

using namespace testing_support;

// The predefined settings below the bench's folder: every use of the folders must take them from here.
struct TestPacketDlg : CCreateClientPacketDlg {
    std::wstring settingsRoot;
    int Choice() const { return m_nameChoice; }
    std::wstring GetUserSettingsDir() override { return settingsRoot + L"User\\"; }
    std::wstring GetWorkstationSettingsDir() override { return settingsRoot + L"Workstation\\"; }
};

struct KitDialogTest : DialogTest {
    KitDialogTest() {
        // As on a hidden share, with every escape the compiler knows after its dollar sign.
        dialog.settingsRoot = bench.PathInRoot(L"users$\\nina$\\r$\\t$\\'s$\\`s$\\Ns\\");
        // The real text files, on the bench's disk.
        seams.processes = &launcher, seams.textFiles = &textFiles, platform::Install(seams);
        launcher.onStart = [this](const platform::FakeProcessLauncher::Start& start) {
            commandLine = start.commandLine, waitCursorAt.push_back(bench.prompts.waitCursor());
            storedAtStart = bench.StoreBytes(dialog.GetUserSettingsDir(), dialog.GetWorkstationSettingsDir());
        };
        launcher.onWait = [this] { waitCursorAt.push_back(bench.prompts.waitCursor()); };
    }

    platform::Seams seams = platform::Current();  // the bench's
    platform::FakeProcessLauncher launcher;
    platform::Win32TextFileWriter textFiles;
    TestPacketDlg dialog;
    std::wstring commandLine;        // the last start's
    std::vector<bool> waitCursorAt;  // at each start and each wait
    std::string storedAtStart;       // the predefined settings when the compiler started
};

// "Create" with each choice (after "Load defaults"), box 1002 holding a name typed under the
// third choice first (after a name of digits only, refused there with the focus on the box). A
// name typed last time is shown, but the dialog opens on the first choice.
struct CreateCase {
    const char* name;
    int choiceButton;
    const wchar_t* typedName;
    // Box 1002 is enabled and its text is stored as typed; the stored name is the system-supplied one;
    // the installer asks for the settings.
    bool typed, supplied, asks;
};

class CreateTest : public KitDialogTest, public ::testing::WithParamInterface<CreateCase> {};

TEST_P(CreateTest, StoresTheSettingsAndTheNameByTheChoiceAndBuildsTheKit) {
    const CreateCase& c = GetParam();
    CorvexParameters last(L"client");                         // stored by the last "Create"
    bench.module.path = LR"(\\fs\d$\tools\SetupClient.exe)";  // on an administrative share
    last.SetClientName(L"WS-9", false), last.Save(dialog.GetUserSettingsDir(), dialog.GetWorkstationSettingsDir());
    // The file dialog: cancelled, then the names of an older kit (".ExE" is kept) and of a folder
    // (".exe" added to another ending); a per cent sign is no formatting code in the boxes.
    // The kit: No, and the file dialog shown again cancelled; the question cancelled; No, then the folder: Yes.
    const std::wstring kit = bench.PathInRoot(L"kit 100%.ExE"), output = bench.PathInRoot(L"setup%d.exe.bakexe.exe");
    bench.prompts.fileAnswers = {std::nullopt, kit, std::nullopt, kit, kit, bench.PathInRoot(L"setup%d.exe.bakexe")};
    bench.files.WriteNewFile(kit, "an older kit", false), bench.files.CreateFolders(output);
    bench.prompts.answers = {IDOK, IDOK, IDOK, IDNO, IDCANCEL, IDNO, IDYES};  // the port's, the name's, the questions
    const INT_PTR ended = Run(dialog, [&](DialogDriver& w) {
        EXPECT_EQ(std::make_tuple(w.Checked(IDC_NAME_COMPUTER), w.Enabled(IDC_WORKSTATION_NAME), w.LongTextBoxes(),
                                  w.Focus(), w.Text(IDC_WORKSTATION_NAME), w.Cue(IDC_WORKSTATION_NAME), w.Frame()),
                  std::make_tuple(true, false, 4, IDC_SERVER_HOST, L"WS-9",
                                  L"Leave empty to use each workstation's own network name",
                                  L"centred, task-bar button, close button, modal frame, Enter: OK, its icon"));
        EXPECT_EQ(w.Labels(), L"Corvex Workstation Settings|Server settings|" + kHostLabels + L"|" + kLoginLabels +
                                  L"|Workstation name settings|>Workstation name=1002|Name of the local machine as "
                                  L"seen by Halvane Server|Automatically use computer network name as Workstation "
                                  L"name=1010|Ask for the Workstation name while installing the program:1011|Use the "
                                  L"Workstation name typed above:1012|Load defaults=1005!|Create=1!|Cancel=2!");
        // A choice clicked with a port of 2^64 + 9750 (the letter typed does not arrive): the exchange
        // stops at the port, with its text selected to be typed over, and the choice made before stays.
        EXPECT_FALSE(w.Type(IDC_SERVER_PORT, L"1844674407370956x1366")) << "the port takes digits only";
        w.Click(IDC_NAME_TYPED);
        EXPECT_EQ(std::make_tuple(w.Focus(), w.Send(EM_GETSEL, 0, IDC_SERVER_PORT), dialog.GetNameChoice(),
                                  w.Enabled(IDC_WORKSTATION_NAME)),
                  std::make_tuple(IDC_SERVER_PORT, MAKELRESULT(0, 20), UseComputerName, false));
        w.Type(IDC_SERVER_PORT, L"-1", true), w.Click(IDOK);  // pasted: refused before a file is asked for
        w.Click(IDC_LOAD_DEFAULTS), w.Click(c.choiceButton), w.Click(IDC_LOAD_DEFAULTS);  // port back, choice
        EXPECT_TRUE(w.Checked(c.choiceButton)) << "Load defaults keeps the choice";
        w.Fill({L"backup01.example.com", L" \t9751\t ", L".\\backup"});  // blanks around a pasted number
        w.Click(IDC_NAME_TYPED), w.Type(IDC_WORKSTATION_NAME, L"12345"), w.Click(IDOK);  // refused: the focus on it
        w.Type(IDC_WORKSTATION_NAME, c.typedName), w.Click(c.choiceButton);
        EXPECT_EQ(std::make_tuple(w.Enabled(IDC_WORKSTATION_NAME), w.Text(IDC_WORKSTATION_NAME), dialog.IsModified()),
                  std::make_tuple(c.typed, std::wstring(c.typedName), FALSE))
            << "the box keeps its text; no edit marks this dialog";
        w.Click(IDOK), w.Click(IDOK), w.Click(IDOK);  // the file dialog cancelled (also after No), the question too
        EXPECT_EQ(std::tuple(launcher.starts.size(), w.Ended(), w.Text(IDC_SERVER_PORT), w.Text(IDC_WORKSTATION_NAME)),
                  std::tuple(size_t{0}, false, L" \t9751\t ", std::wstring(c.typedName)));  // the boxes as they were
        // The settings were stored before the file was asked for, and stay so.
        EXPECT_EQ(bench.ReadSettings(dialog.GetUserSettingsDir(), dialog.GetWorkstationSettingsDir()),
                  L"backup01.example.com|9751|.\\backup|" + std::wstring(c.typed ? c.typedName : L""));
        w.Click(IDOK);
    });
    // The kit's name as its choice stores it; this machine's own settings stay as they were.
    EXPECT_EQ(std::make_pair(bench.SystemSupplied(dialog.GetWorkstationSettingsDir()), bench.ReadAgentSettings()),
              std::make_pair(c.supplied, std::wstring(L"backup.example.com|65535|CORP\\backup|WS-01")));
    // The compiler beside the configurator: its defines (each folder's backslash doubled before
    // the closing quote; a backslash that the compiler would read with the dollar sign before it
    // as an escape made a slash, also in the compiler's own folder, given again), the wait for it
    // without limit, under the wait cursor.
    ASSERT_EQ(launcher.starts.size(), 1u);
    const std::wstring root = bench.PathInRoot(L"users$/nina$/r$/t$/'s$/`s$\\Ns\\");
    EXPECT_EQ(commandLine, L" /DPRODUCT_VERSION_MAJOR=6.9 /DPRODUCT_VERSION_MINOR=6.8822 /DUSER_SETTINGS_DIR=\"" +
                               root + L"User\\\\\" /DWORKSTATION_SETTINGS_DIR=\"" + root +
                               LR"(Workstation\\" /DAPP_DIR_SUFFIX="Quentara\Corvex Workstation\\" /DOUTPUT=")" +
                               output + LR"(" /DCURRENT_WORK_DIR="\\fs\d$/tools\\")" +
                               (c.asks ? L" /DASK_FOR_PARAMETERS" : L"") +
                               LR"( "/X!undef NSISDIR" /DNSISDIR="\\fs\d$/tools\CorvexWorkstation\Packet\tools")" +
                               LR"( "\\fs\d$\tools\CorvexWorkstation\Packet\build_packet.nsi")");
    // Handles inherited, CREATE_NO_WINDOW alone, an INFINITE wait, every handle closed, the wait
    // cursor, the settings stored before the start; and the dialog ended by its OK.
    EXPECT_EQ(std::tuple(launcher.starts[0].inheritHandles, launcher.starts[0].creationFlags, waitCursorAt, ended,
                         launcher.waitTimeouts, launcher.openHandles, bench.prompts.waitCursor(), storedAtStart),
              std::tuple(TRUE, 0x08000000u, std::vector<bool>{true, true}, IDOK, std::vector<DWORD>{0xFFFFFFFFu}, 0,
                         false, bench.StoreBytes(dialog.GetUserSettingsDir(), dialog.GetWorkstationSettingsDir())));
    // The file dialog's filter and default extension; shown again after No, it starts from the last choice.
    const framework::FileDialogState& asked = bench.prompts.fileDialogs[0];
    EXPECT_EQ(std::make_tuple(asked.defaultExtension, asked.filters, bench.prompts.fileDialogs[5].fileName),
              std::make_tuple(
                  L"exe", decltype(asked.filters){{L"Executive Files (*.exe)", L"*.exe"}, {L"All Files (*.*)", L"*.*"}},
                  kit));
    const std::wstring prompt = L"Please enter a positive integer.|SetupClient|48|1|",
                       replace = L"\" already exists. Do you want to replace it?|SetupClient|35|1|1\n",
                       again = L"\"" + kit + replace;
    const std::wstring digits = L"The workstation name cannot consist of digits only.|SetupClient|48|1|1002\n";
    EXPECT_EQ(Described(bench.prompts.messageBoxes),
              prompt + L"1012\n" + prompt + L"1\n" + digits + again + again + again + L"\"" + output + replace +
                  L"The Client distribution kit is saved into \"" + output + L"\".|SetupClient|64|1|1\n");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Choices, CreateTest, ::testing::Values(
    CreateCase{"computer_name", IDC_NAME_COMPUTER, L"not a name!", false, true, false},
    CreateCase{"ask", IDC_NAME_ASK, L"ws.example.com", false, true, true},
    CreateCase{"typed_name", IDC_NAME_TYPED, L"WS-0142", true, false, false},
    CreateCase{"typed_empty_name", IDC_NAME_TYPED, L"", true, true, false}));
// clang-format on

// Predefined settings that cannot be loaded: no choice is checked and box 1002 stays enabled;
// "Create" then reads no choice (-1), which counts as the computer's name, and keeps the damaged
// file beside the new one. A first "Create" while another program holds the file is refused by the
// store's box before any file is asked for; held for a moment at the second, it is waited for. A compiler that cannot
// start is told (its error unsigned) in the only box after the load's, the save's and the replace question, is not
// waited for, leaves the dialog open with the settings stored, the older kit it was to replace as it was and the debug
// batch file ("--debug") in place. A compiler that then ends is not asked for its output: the kit is told saved (no
// file at its name but the compiler's).
TEST_F(KitDialogTest, AFailedLoadLeavesNoChoiceAndCreateCountsItAsTheComputersName) {
    bench.files.CreateFolders(dialog.GetUserSettingsDir());
    bench.files.WriteNewFile(dialog.GetUserSettingsDir() + L"user.json", "{ not json", false);
    bench.module.path = bench.PathInRoot(L"SetupClient.exe"), bench.CommandLine(L"--create_packet --debug");
    bench.prompts.fileAnswers = {bench.PathInRoot(L"kit.exe"), bench.PathInRoot(L"new.exe")};
    launcher.startError = 0xFFFFFFFFu, bench.files.WriteNewFile(bench.PathInRoot(L"kit.exe"), "an older kit", false);
    bench.prompts.answers = {IDOK, IDOK, IDYES};  // to the load's box, the save's, then to the replace question
    const INT_PTR ended = Run(dialog, [&](DialogDriver& w) {
        EXPECT_TRUE(w.Enabled(IDC_WORKSTATION_NAME) && !w.Checked(IDC_NAME_COMPUTER) && !w.Checked(IDC_NAME_ASK) &&
                    !w.Checked(IDC_NAME_TYPED));
        const std::wstring user = dialog.GetUserSettingsDir() + L"user.json";  // held by another program at first
        const auto hold = [&](DWORD share) { return ::CreateFileW(user.c_str(), 1, share, 0, OPEN_EXISTING, 0, 0); };
        HANDLE held = hold(0);
        w.Fill({L"backup01.example.com", L"9751", L"CORP\\backup", L"WS-7"}), w.Click(IDOK);  // the save refused
        // Then kept from being replaced for a moment: Space pressed again meanwhile must reach neither the file
        // dialog nor "Create".
        ::CloseHandle(held), held = hold(FILE_SHARE_READ);
        bench.clock.onSleep = [&, pressed = false]() mutable {
            if (!std::exchange(pressed, true)) PressSpaceAgain(), ::CloseHandle(held);
        };
        w.Click(IDOK, true);  // the compiler cannot be started
        EXPECT_TRUE(w.Enabled(IDC_WORKSTATION_NAME)) << "a Create that builds nothing leaves the box as it was";
        EXPECT_NE(bench.files.GetAttributes(bench.PathInRoot(L"client_packet_build.bat")), INVALID_FILE_ATTRIBUTES);
        // The user turns to another program while the compiler runs: the box still belongs to the dialog.
        launcher.onWait = [] { ::SetActiveWindow(nullptr); };
        if (!w.Ended()) launcher.startError = 0, w.Click(IDOK);
    });
    std::string older;
    bench.files.ReadWholeFile(bench.PathInRoot(L"kit.exe"), 1 << 10, older);
    EXPECT_EQ(std::make_tuple(
                  ended, older, std::distance(std::filesystem::directory_iterator(dialog.GetUserSettingsDir()), {}),
                  dialog.Choice(), bench.SystemSupplied(dialog.GetWorkstationSettingsDir()), launcher.openHandles,
                  commandLine.find(L"ASK") == std::wstring::npos, launcher.waitTimeouts.size(),
                  bench.files.GetAttributes(bench.PathInRoot(L"new.exe"))),  // no file of ours: the compiler's alone
              std::make_tuple(IDOK, "an older kit", 2, -1, true, 0, true, size_t{1}, INVALID_FILE_ATTRIBUTES));
    EXPECT_NE(bench.prompts.messageBoxes[1].text.find(L"replaced: another program is using"), std::wstring::npos);
    EXPECT_EQ(Described({bench.prompts.messageBoxes.begin() + 3, bench.prompts.messageBoxes.end()}),
              L"Can't launch the client packet builder (system error is 4294967295).|SetupClient|16|1|1|wait\n"
              L"The Client distribution kit is saved into \"" +
                  bench.PathInRoot(L"new.exe") + L"\".|SetupClient|64|1|0\n");
}

// The batch file holds U+00FF in one byte, the last there is; it ends before U+0100.
const wchar_t kOutput[] = L"C:\\Kits\\kit \u00ff\u0100.exe";

// BuildPacket itself. A configurator path of 260 characters filled the buffer, so the system
// cut it: nothing is built, and an error box (no owner) says why and what to do. Otherwise the
// configurator's folder is the path with its file name cut and one backslash appended.
// "--debug", in any letter case, writes the command line (unquoted compiler, one blank, no line
// end) to the batch file beside the configurator before the start. The system's launcher, with
// no compiler there, gives its error code to the message.
TEST_F(KitDialogTest, BuildPacketFromTheConfiguratorsFolderWithTheDebugBatchFileWrittenBeforeTheStart) {
    const std::wstring deep = L"C:\\" + std::wstring(240, L'd');
    bench.module.path = deep + L"\\" + std::wstring(16, L'f'), bench.CommandLine(L"--create_packet --debug");
    EXPECT_EQ(dialog.BuildPacket(kOutput), FALSE);
    EXPECT_EQ(Described(bench.prompts.messageBoxes),
              L"The client distribution kit was not built. The program's own path could not be read whole (it is "
              L"longer than 259 characters), so its folder is not known. Move the program, with the files beside it, "
              L"to a folder with a shorter path.|SetupClient|16|0|0|wait\n");
    EXPECT_EQ(std::make_pair(launcher.starts.size(), bench.module.lastSize), std::make_pair(size_t{0}, DWORD{260}));
    bench.module.path = deep + L"\\" + std::wstring(15, L'f');  // 259 characters
    const std::wstring folder = CCreateClientPacketDlg::GetModuleDirectory();
    bench.module.path = LR"(E:\SetupClient.exe)";  // a drive's root keeps its own backslash too
    EXPECT_EQ(folder + L"|" + CCreateClientPacketDlg::GetModuleDirectory(), deep + LR"(\|E:\\)");
    bench.module.path = bench.PathInRoot(L"SetupClient.exe");
    bench.CommandLine(L"--create_packet"), ::SetCursor(::LoadCursorW(nullptr, IDC_CROSS));  // the user's own
    launcher.onStart = [](const auto&) { throw std::runtime_error("no memory"); };
    EXPECT_THROW(dialog.BuildPacket(kOutput), std::runtime_error);
    // The user's cursor comes back when an error passes through; without "--debug" no batch file is written.
    const std::wstring batchFile = bench.PathInRoot(L"client_packet_build.bat");
    EXPECT_EQ(std::make_pair(::GetCursor(), bench.files.GetAttributes(batchFile)),
              std::make_pair(::LoadCursorW(nullptr, IDC_CROSS), INVALID_FILE_ATTRIBUTES));
    std::string atStart, again;
    launcher.onStart = [&](const auto&) { bench.files.ReadWholeFile(batchFile, 1 << 16, atStart); };
    bench.files.WriteNewFile(batchFile, std::string(1 << 12, 'x'), false);  // an earlier, longer one: written over
    // The bench's file system is the system's: a new file never opens one that is there, and a
    // read takes a file as large as its limit.
    EXPECT_EQ(bench.files.WriteNewFile(batchFile, "x", false), DWORD{ERROR_FILE_EXISTS});
    bench.CommandLine(L"--create_packet --DEBUG");
    const std::wstring compiler = bench.PathInRoot(L"CorvexWorkstation\\Packet\\tools\\makensis.exe ");
    const std::wstring line = compiler + dialog.ComposeBuildArguments(kOutput, bench.PathInRoot(L""));
    dialog.BuildPacket(kOutput);
    EXPECT_EQ(std::make_tuple(atStart, bench.files.ReadWholeFile(batchFile, line.find(L'\u0100'), again)),
              std::make_tuple(std::string(line.begin(), line.begin() + line.find(L'\u0100')), DWORD{ERROR_SUCCESS}));
    // A batch file that cannot be written does not stop the build, and nothing is said of it.
    ::DeleteFileW(batchFile.c_str()), bench.files.CreateFolders(batchFile);
    EXPECT_TRUE(dialog.BuildPacket(kOutput) && bench.prompts.messageBoxes.size() == 1);
    platform::Win32ProcessLauncher system;  // the real one, with no compiler in the configurator's folder
    seams.processes = &system, platform::Install(seams);
    EXPECT_EQ(dialog.BuildPacket(kOutput), FALSE);
    EXPECT_EQ(bench.prompts.messageBoxes.back().text, L"Can't launch the client packet builder (system error is 3).");
}

}  // namespace
