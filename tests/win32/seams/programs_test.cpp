// What the kit build and the program rely on from the system: the kit's command line as the
// real CommandLineToArgvW splits it, the debug batch file's stream, starting and waiting for a
// program, and the built SetupClient.exe's manifest (read back from its resources).
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "framework/win32/win32_ui.h"
#include "packet/create_client_packet_dlg.h"
#include "platform/fake/fake_text_file_writer.h"
#include "platform/win32/win32_process_launcher.h"
#include "platform/win32/win32_seams.h"
#include "platform/win32/win32_text_file_writer.h"

namespace {

struct KitPaths {
    const char* name;
    std::wstring settingsRoot;  // the user's settings folder (ends with a backslash)
    std::wstring output;        // the installer file to write
    std::wstring module;        // the configurator's folder (ends with a backslash)
};

// The kit dialog with its settings folders below a chosen root (never shown).
class KitDialog : public CCreateClientPacketDlg {
public:
    explicit KitDialog(std::wstring root) : root_(std::move(root)) {}
    std::wstring GetUserSettingsDir() override { return root_ + L"User\\"; }
    std::wstring GetWorkstationSettingsDir() override { return root_ + L"Workstation\\"; }

private:
    std::wstring root_;
};

class KitCommandLineTest : public ::testing::TestWithParam<KitPaths> {
protected:
    KitCommandLineTest() : previous_(framework::InstallUi(&ui_)) {}
    ~KitCommandLineTest() override { framework::InstallUi(previous_); }
    framework::Win32Ui ui_;
    framework::UiBackend* previous_;
};

TEST_P(KitCommandLineTest, EveryDefineArrivesWholeWithExactlyItsValue) {
    const KitPaths& c = GetParam();
    KitDialog dialog(c.settingsRoot);
    const std::wstring compiler = c.module + L"CorvexWorkstation\\Packet\\tools\\makensis.exe";
    const std::wstring line = L"\"" + compiler + L"\"" + dialog.ComposeBuildArguments(c.output, c.module);
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(line.c_str(), &count);
    ASSERT_NE(arguments, nullptr);
    const std::vector<std::wstring> split(arguments, arguments + count);
    ::LocalFree(arguments);
    EXPECT_EQ(split,
              (std::vector<std::wstring>{compiler, L"/DPRODUCT_VERSION_MAJOR=6.9", L"/DPRODUCT_VERSION_MINOR=6.8822",
                                         L"/DUSER_SETTINGS_DIR=" + c.settingsRoot + L"User\\",
                                         L"/DWORKSTATION_SETTINGS_DIR=" + c.settingsRoot + L"Workstation\\",
                                         L"/DAPP_DIR_SUFFIX=Quentara\\Corvex Workstation\\", L"/DOUTPUT=" + c.output,
                                         L"/DCURRENT_WORK_DIR=" + c.module,
                                         c.module + L"CorvexWorkstation\\Packet\\build_packet.nsi"}));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, KitCommandLineTest,
    ::testing::Values(
        KitPaths{"Blanks", L"C:\\Users\\Jo  Ann\\", L"C:\\My Kits\\ kit .exe", L"C:\\Program Files\\Corvex\\"},
        KitPaths{"ShellCharacters", L"C:\\R&D %USERNAME%\\", L"C:\\Kits\\a&b|c^d<e>f%TEMP%.exe", L"C:\\tools ^&^^\\"},
        KitPaths{"NonAscii", L"C:\\Users\\J\u00fcrgen\U0001F600\\", L"C:\\K\u00e4its\\\u30ad\u30c3\u30c8.exe",
                 L"C:\\\u0421\u0435\u0442\u0430\u043f\\"},
        KitPaths{"RootsAndShares", L"D:\\", L"\\\\server\\kits\\setup.exe", L"\\\\server\\tools\\"},
        KitPaths{"DefineLookalikes", L"C:\\x /DEVIL=1\\", L"C:\\k\\ /DOUTPUT=C:\\evil.exe", L"C:\\ /X\\"}),
    [](const ::testing::TestParamInfo<KitPaths>& info) { return std::string(info.param.name); });

std::wstring TempPath(const wchar_t* name) {
    wchar_t buffer[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, buffer);
    return std::wstring(buffer) + L"corvex " + std::to_wstring(::GetCurrentProcessId()) + name;
}

// The real stream and the native tests' fake turn a text into the same bytes, and a second
// write replaces the file whole.
TEST(TextFileWriter, WritesAsTheFakeDoesAndReplacesWhole) {
    platform::Win32TextFileWriter real;
    platform::FakeTextFileWriter fake;
    platform::Win32FileSystem files;
    const std::wstring path = TempPath(L".bat");
    for (const wchar_t* text : {L"C:\\a b\\makensis.exe  /DOUTPUT=\"C:\\J\u00f6rg \u20ac.exe\"", L""}) {
        ASSERT_TRUE(real.WriteClassic(path, text));
        ASSERT_TRUE(fake.WriteClassic(path, text));
        std::string bytes;
        EXPECT_EQ(files.ReadWholeFile(path, 4096, bytes), 0u);
        EXPECT_EQ(bytes, fake.files[path]);
    }
    ::DeleteFileW(path.c_str());
    EXPECT_FALSE(real.WriteClassic(TempPath(L"-none\\a.bat"), L"x")) << "a missing folder";
}

TEST(ProcessLauncher, StartsWaitsForAndReleasesAProgramKeepingTheCallersLastError) {
    platform::Win32ProcessLauncher launcher;
    wchar_t system[MAX_PATH + 1] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    wchar_t arguments[] = L" /c exit 3";
    const platform::ProcessStart start =
        launcher.Create(std::wstring(system) + L"\\cmd.exe", arguments, TRUE, CREATE_NO_WINDOW);
    ASSERT_TRUE(start.started) << start.lastError;
    EXPECT_EQ(launcher.Wait(start.process, INFINITE), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    ASSERT_TRUE(::GetExitCodeProcess(reinterpret_cast<HANDLE>(start.process), &exitCode));
    EXPECT_EQ(exitCode, 3u) << "the program ran with its arguments";
    ::SetLastError(1234);
    launcher.Close(start.process);
    launcher.Close(0x7ffffff0);  // a close that fails keeps it too
    EXPECT_EQ(::GetLastError(), 1234u);
    const platform::ProcessStart missing = launcher.Create(TempPath(L"-none\\makensis.exe"), arguments, TRUE, 0);
    EXPECT_FALSE(missing.started);
    EXPECT_EQ(missing.lastError, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(BuiltProgram, ItsManifestAsksForAdministratorRights) {
    wchar_t path[MAX_PATH + 1] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program(path);
    program.replace(program.find_last_of(L'\\') + 1, std::wstring::npos, L"SetupClient.exe");
    const HMODULE module = ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(::LockResource(::LoadResource(module, found))),
                               ::SizeofResource(module, found));
    ::FreeLibrary(module);
    EXPECT_NE(manifest.find("requestedExecutionLevel level=\"requireAdministrator\" uiAccess=\"false\""),
              std::string::npos)
        << manifest;
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
}

}  // namespace
