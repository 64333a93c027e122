// The compiler's argument string: its pieces, their order, their quoting, and what the
// compiler receives after splitting it by the shell's rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "packet_bench.h"
#include "platform/command_line.h"

namespace {

using testing_support::PacketBench;
using testing_support::TestPacketDlg;

// A kit dialog whose two predefined settings folders are fixed by the test.
class FixedFoldersDlg : public TestPacketDlg {
public:
    FixedFoldersDlg(std::wstring user, std::wstring workstation, int nameChoice)
        : m_user(std::move(user)), m_workstation(std::move(workstation)) {
        SetNameChoice(nameChoice);
    }
    std::wstring GetUserSettingsDir() override { return m_user; }
    std::wstring GetWorkstationSettingsDir() override { return m_workstation; }

private:
    std::wstring m_user;
    std::wstring m_workstation;
};

// What the compiler gets, argument by argument, from a command line that the dialog composed:
// each value whole and in its place, each folder with exactly the one backslash it ends with,
// the asking define only for the asking choice, and the script last.
struct RoundTripCase {
    const char* name;
    int nameChoice;
    const wchar_t* user;
    const wchar_t* workstation;
    const wchar_t* module;
    const wchar_t* output;
};

class RoundTripTest : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTripTest, EachDefineArrivesWhole) {
    PacketBench bench;
    const RoundTripCase& c = GetParam();
    FixedFoldersDlg dialog(c.user, c.workstation, c.nameChoice);
    std::vector<std::wstring> expected = {
        L"",  // the program name: the argument string starts with a blank
        L"/DPRODUCT_VERSION_MAJOR=6.9",
        L"/DPRODUCT_VERSION_MINOR=6.8822",
        std::wstring(L"/DUSER_SETTINGS_DIR=") + c.user,
        std::wstring(L"/DWORKSTATION_SETTINGS_DIR=") + c.workstation,
        L"/DAPP_DIR_SUFFIX=Quentara\\Corvex Workstation\\",
        std::wstring(L"/DOUTPUT=") + c.output,
        std::wstring(L"/DCURRENT_WORK_DIR=") + c.module,
        std::wstring(c.module) + L"CorvexWorkstation\\Packet\\build_packet.nsi",
    };
    if (c.nameChoice == 1) expected.insert(expected.end() - 1, L"/DASK_FOR_PARAMETERS");
    EXPECT_EQ(platform::SplitCommandLine(dialog.ComposeBuildArguments(c.output, c.module)), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, RoundTripTest,
    ::testing::Values(
        RoundTripCase{"blanks", 0,
                      LR"(C:\Users\Jane Doe\AppData\Roaming\Quentara\Corvex Workstation\PredefinedClientSettings\User\)",
                      LR"(C:\Users\Jane Doe\AppData\Roaming\Quentara\Corvex Workstation\PredefinedClientSettings\Workstation\)",
                      LR"(C:\Program Files\Quentara\Corvex Workstation\)",
                      LR"(D:\Kits for branch offices\Corvex Workstation setup.exe)"},
        RoundTripCase{"tabs_and_unicode", 1, L"C:\\Users\\J\u00f6rg\tM\\P\\User\\",
                      L"C:\\Users\\J\u00f6rg\tM\\P\\Workstation\\",
                      L"\\\\server\\share\\Corvex Tools\\", L"\\\\server\\share\\out\\kit \u00e9t\u00e9.exe"},
        RoundTripCase{"drive_roots", 2, LR"(U:\)", LR"(W:\)", LR"(M:\)", LR"(O:\a.exe)"}),
    [](const ::testing::TestParamInfo<RoundTripCase>& info) { return std::string(info.param.name); });

// The configurator's folder.
struct ModuleCase {
    const wchar_t* modulePath;
    const wchar_t* expected;
};

class ModuleDirectoryTest : public ::testing::TestWithParam<ModuleCase> {};

TEST_P(ModuleDirectoryTest, CutsTheFileNameAndEndsWithOneBackslash) {
    PacketBench bench;
    bench.module.path = GetParam().modulePath;
    EXPECT_EQ(CCreateClientPacketDlg::GetModuleDirectory(), GetParam().expected);
    EXPECT_EQ(bench.module.lastSize, 260u);  // one less than the buffer, which keeps a zero
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ModuleDirectoryTest,
    ::testing::Values(ModuleCase{LR"(C:\Program Files\Corvex\SetupClient.exe)", LR"(C:\Program Files\Corvex\)"},
                      // The root keeps its backslash, and one more is appended.
                      ModuleCase{LR"(C:\SetupClient.exe)", LR"(C:\\)"},
                      ModuleCase{LR"(\\server\share\SetupClient.exe)", LR"(\\server\share\)"}));

// The system cuts a path longer than its 260-character buffer: the cut path names another
// folder, so no compiler or batch file is taken from it.
TEST(ModuleDirectory, APathThatFilledTheBufferBuildsNothing) {
    PacketBench bench;
    bench.module.path = L"C:\\" + std::wstring(250, L'd') + L"\\SetupClient.exe";  // 269 characters
    bench.CommandLine(L"--create_packet --debug");
    TestPacketDlg dialog;
    EXPECT_EQ(dialog.BuildPacket(L"C:\\kit.exe"), FALSE);
    EXPECT_TRUE(bench.launcher.starts.empty());
    EXPECT_TRUE(bench.textFiles.attempts.empty());
    ASSERT_EQ(bench.prompts.messageBoxes.size(), 1u);
    EXPECT_EQ(bench.prompts.messageBoxes[0].type, MB_OK | MB_ICONERROR);
}

}  // namespace
