#include "app_bench.h"

#include <filesystem>
#include <random>

#ifdef _WIN32
#include "framework/win32/win32_ui.h"
#include "platform/win32/win32_seams.h"
#else
#include "platform/portable/portable_file_system.h"
#endif

namespace testing_support {

// A folder of its own under the system's temporary folder, removed with everything in it. On
// Windows at that folder's drive root: the user's temporary folder holds the user's name, which
// may have letters that the debug batch file (one byte a letter) cannot hold.
struct TempRoot {
    TempRoot() {
        std::random_device random;
        const std::filesystem::path temp = std::filesystem::temp_directory_path();
        do folder = (temp.has_root_name() ? temp.root_path() : temp) / ("corvex-bench-" + std::to_string(random()));
        while (!std::filesystem::create_directory(folder));  // taken: another name
    }
    ~TempRoot() { std::filesystem::remove_all(folder, ignored); }
    std::wstring Root() const { return folder.wstring(); }  // natively ASCII

    std::filesystem::path folder;
    std::error_code ignored;
};

#ifdef _WIN32
// The test's command line, split by CommandLineToArgvW and compared as the program does.
struct SystemSplit : platform::Win32CommandLine {
    explicit SystemSplit(platform::FakeCommandLine& line) : line(line) {}
    std::wstring Get() override { return line.line; }
    platform::FakeCommandLine& line;
};

struct AppBench::Host : TempRoot {
    explicit Host(platform::FakeCommandLine& line) : commandLine(line) { previousUi = framework::InstallUi(&ui); }
    ~Host() { framework::InstallUi(previousUi); }
    platform::CommandLine* Line() { return &commandLine; }

    platform::Win32FileSystem files;
    platform::Win32MachineName machineName;  // the system's own: the dialogs show it
    platform::MachineName* machine = &machineName;
    SystemSplit commandLine;
    framework::Win32Ui ui;
    framework::UiBackend* previousUi;
};
#else
struct AppBench::Host : TempRoot {
    explicit Host(platform::FakeCommandLine&) {}
    platform::CommandLine* Line() { return nullptr; }  // only the application reads it

    platform::PortableFileSystem files;
    platform::MachineName* machine = nullptr;  // only the dialogs ask for it
};
#endif

AppBench::AppBench() : m_host(new Host(commandLine)), files(m_host->files) {
    // Below a folder whose name is not ASCII (one character beyond 16 bits), as a profile folder may be.
    folders.programData = m_host->Root() + L"\\J\u00fcrgen\U00020BB7\\ProgramData";
    folders.userAppData = m_host->Root() + L"\\J\u00fcrgen\\AppData", module.path = L"C:\\Corvex\\SetupClient.exe";
    // In the seams' order; no process launcher and no text file writer.
    m_previousSeams = platform::Install(
        {m_host->Line(), &module, &files, nullptr, &services, &clock, &firewall, &folders, nullptr, m_host->machine});
#ifdef _WIN32
    prompts.focusedControl = [] { return ::GetDlgCtrlID(::GetFocus()); };  // 0 for no focus
    prompts.waitCursor = [] { return ::GetCursor() == ::LoadCursorW(nullptr, IDC_WAIT); };
#endif
}

AppBench::~AppBench() { platform::Install(m_previousSeams); }

void AppBench::StoreAgentSettings(const std::wstring& host, unsigned short port, const std::wstring& login,
                                  const std::wstring& workstation, bool systemSupplied) {
    CorvexParameters parameters(L"client");
    parameters.SetCoordinator(host, port, CorvexParameters::Defaults::isSecured);
    parameters.SetUserName(login), parameters.SetClientName(workstation, systemSupplied), parameters.Save(true);
}

void AppBench::DamageAgentSettings() {
    files.Remove(AgentStore() + L"user.json"), files.Remove(AgentStore() + L"workstation.json");
    files.WriteNewFile(AgentStore() + L"user.json", "{" + std::string(70000, ' '), false);  // too large to be read
    files.WriteNewFile(AgentStore() + L"workstation.json", "{ damaged", false);
}

std::wstring AppBench::ReadSettings(const std::wstring& userDir, const std::wstring& workstationDir) {
    CorvexParameters parameters(L"client");
    return parameters.Load(userDir, workstationDir), Show(parameters);
}

std::string AppBench::StoreBytes(const std::wstring& userDir, const std::wstring& workstationDir) {
    std::string user, workstation;
    files.ReadWholeFile(userDir + L"user.json", 1 << 20, user);
    return files.ReadWholeFile(workstationDir + L"workstation.json", 1 << 20, workstation), user + workstation;
}

std::wstring AppBench::PathInRoot(const std::wstring& relative) const { return m_host->Root() + L"\\" + relative; }

}  // namespace testing_support
