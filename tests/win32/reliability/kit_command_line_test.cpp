// The kit build's command line split by the real CommandLineToArgvW: for settings folders,
// output files and configurator folders with blanks, '%', '&', '^', non-ASCII letters and
// drive roots, every define arrives as one whole argument with exactly its value, and no
// value adds an argument of its own.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "framework/win32/win32_ui.h"
#include "packet/create_client_packet_dlg.h"

namespace {

struct KitPaths {
    const char* name;
    std::wstring settingsRoot;  // the user's settings folder (ends with a backslash)
    std::wstring output;        // the installer file to write
    std::wstring module;        // the configurator's folder (ends with a backslash)
};

void PrintTo(const KitPaths& c, std::ostream* os) { *os << c.name; }

// The kit dialog with its settings folders below a chosen root.
class KitDialog : public CCreateClientPacketDlg {
public:
    explicit KitDialog(std::wstring root) : root_(std::move(root)) {}
    std::wstring GetUserSettingsDir() override { return root_ + L"PredefinedClientSettings\\User\\"; }
    std::wstring GetWorkstationSettingsDir() override { return root_ + L"PredefinedClientSettings\\Workstation\\"; }

private:
    std::wstring root_;
};

std::vector<std::wstring> Split(const std::wstring& commandLine) {
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(commandLine.c_str(), &count);
    std::vector<std::wstring> split;
    if (arguments == nullptr) return split;
    for (int i = 0; i < count; ++i) split.emplace_back(arguments[i]);
    ::LocalFree(arguments);
    return split;
}

// The dialog object needs a user-interface backend to exist; it is never shown.
class KitCommandLineTest : public ::testing::TestWithParam<KitPaths> {
protected:
    KitCommandLineTest() : previous_(framework::InstallUi(&ui_)) {}
    ~KitCommandLineTest() override { framework::InstallUi(previous_); }

    framework::Win32Ui ui_;
    framework::UiBackend* previous_;
};

TEST_P(KitCommandLineTest, EveryDefineArrivesWhole) {
    const KitPaths& c = GetParam();
    KitDialog dialog(c.settingsRoot);
    const std::wstring compiler = c.module + L"CorvexWorkstation\\Packet\\tools\\makensis.exe";
    const std::wstring line = L"\"" + compiler + L"\"" + dialog.ComposeBuildArguments(c.output, c.module);
    const std::vector<std::wstring> expected{
        compiler,
        L"/DPRODUCT_VERSION_MAJOR=6.9",
        L"/DPRODUCT_VERSION_MINOR=6.8822",
        L"/DUSER_SETTINGS_DIR=" + c.settingsRoot + L"PredefinedClientSettings\\User\\",
        L"/DWORKSTATION_SETTINGS_DIR=" + c.settingsRoot + L"PredefinedClientSettings\\Workstation\\",
        L"/DAPP_DIR_SUFFIX=Quentara\\Corvex Workstation\\",
        L"/DOUTPUT=" + c.output,
        L"/DCURRENT_WORK_DIR=" + c.module,
        c.module + L"CorvexWorkstation\\Packet\\build_packet.nsi",
    };
    EXPECT_EQ(Split(line), expected);
}

const KitPaths kPaths[] = {
    {"Plain", L"C:\\Users\\admin\\AppData\\Roaming\\Quentara\\Corvex Workstation\\", L"C:\\Kits\\setup.exe",
     L"C:\\Corvex\\"},
    {"Blanks", L"C:\\Users\\Jo Ann\\AppData\\Roaming\\Quentara\\Corvex Workstation\\",
     L"C:\\My Kits\\kit for office.exe", L"C:\\Program Files\\Corvex Setup\\"},
    {"DoubleBlanksAndTabLikeNames", L"C:\\a  b\\", L"C:\\x  y\\ kit .exe", L"C:\\m  n\\"},
    {"PercentSigns", L"C:\\Users\\%USERNAME%\\", L"C:\\Kits\\%TEMP%.exe", L"C:\\%PATH%\\"},
    {"ShellOperators", L"C:\\R&D\\", L"C:\\Kits\\a&b|c^d<e>f.exe", L"C:\\tools ^&^^\\"},
    {"NonAscii", L"C:\\Users\\J\u00fcrgen \u00c5str\u00f6m\\", L"C:\\K\u00e4its\\\u30ad\u30c3\u30c8.exe",
     L"C:\\\u0421\u0435\u0442\u0430\u043f\\"},
    {"NonBmp", L"C:\\Users\\u\U0001F600\\", L"C:\\Kits\\\U0001F600.exe", L"C:\\\U0001F600\\"},
    {"DriveRoots", L"D:\\", L"E:\\setup.exe", L"F:\\"},
    {"UncShares", L"\\\\server\\share\\Users\\a b\\", L"\\\\server\\kits\\setup.exe", L"\\\\server\\tools\\"},
    {"LongPaths", L"C:\\" + std::wstring(120, L'a') + L" " + std::wstring(60, L'b') + L"\\",
     L"C:\\" + std::wstring(200, L'k') + L".exe", L"C:\\" + std::wstring(100, L'm') + L"\\"},
    {"DefineLookalikes", L"C:\\x /DEVIL=1\\", L"C:\\k\\ /DOUTPUT=C:\\evil.exe", L"C:\\ /X\\"},
};

INSTANTIATE_TEST_SUITE_P(Paths, KitCommandLineTest, ::testing::ValuesIn(kPaths),
                         [](const ::testing::TestParamInfo<KitPaths>& info) { return std::string(info.param.name); });

}  // namespace
