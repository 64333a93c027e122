// The kit build: composes the installer compiler's command line, starts the compiler beside
// the configurator and waits for it to end.
#include <cwchar>
#include <string>
#include <vector>

#include "app/setup_client_app.h"
#include "framework/ui_backend.h"
#include "packet/create_client_packet_dlg.h"
#include "params/corvex_parameters.h"
#include "platform/module_file.h"
#include "platform/platform.h"
#include "platform/process_launcher.h"
#include "platform/text_file_writer.h"

namespace {

const wchar_t kCompilerFolderBelowModule[] = L"CorvexWorkstation\\Packet\\tools";
const wchar_t kScriptBelowModule[] = L"CorvexWorkstation\\Packet\\build_packet.nsi";
const wchar_t kDebugBatchFile[] = L"client_packet_build.bat";

// Appends plain ASCII text, widening it character by character.
void AppendAscii(std::wstring& text, const char* ascii) {
    for (; *ascii != '\0'; ++ascii) text += static_cast<wchar_t>(static_cast<unsigned char>(*ascii));
}

// The compiler reads "$\n", "$\r", "$\t", "$\'" and "$\`" in a define's value as escapes, even in
// a path: a hidden share such as \\server\users$\nina would lose its folder to a line feed. The
// backslash after such a dollar sign becomes a forward slash, which Windows reads as the same
// separator.
std::wstring ForCompiler(std::wstring path) {
    for (size_t at = path.find(L"$\\"); at != std::wstring::npos; at = path.find(L"$\\", at + 2)) {
        if (at + 2 < path.size() && std::wcschr(L"nrt'`", path[at + 2]) != nullptr) path[at + 1] = L'/';
    }
    return path;
}

// Whether the program was started with "--debug" (the application's switch rule).
bool IsDebugRun() {
    CSetupClientApp* app = static_cast<CSetupClientApp*>(AfxGetApp());
    return app != nullptr && app->HasCommandLineOption(L"debug") != FALSE;
}

// Releases a started process's handle on every way out.
class ProcessHandleOwner {
public:
    explicit ProcessHandleOwner(platform::ProcessHandle handle) : handle_(handle) {}
    ~ProcessHandleOwner() {
        if (handle_ != 0) platform::GetProcessLauncher().Close(handle_);
    }
    ProcessHandleOwner(const ProcessHandleOwner&) = delete;
    ProcessHandleOwner& operator=(const ProcessHandleOwner&) = delete;

private:
    platform::ProcessHandle handle_;
};

}  // namespace

std::wstring CCreateClientPacketDlg::GetModuleDirectory() {
    // Throws platform::ModulePathError when the configurator's path was cut.
    return platform::ReadModuleDirectory(platform::GetModuleFile()) + L"\\";
}

std::wstring CCreateClientPacketDlg::ComposeBuildArguments(const std::wstring& outputPath,
                                                           const std::wstring& moduleDirectory) {
    // The folders end with a backslash; one more before each closing quote makes the pair
    // stand for a single backslash when the compiler splits its command line, so the quote
    // still closes the value.
    std::wstring arguments;
    AppendAscii(arguments, " /DPRODUCT_VERSION_MAJOR=6.9");
    AppendAscii(arguments, " /DPRODUCT_VERSION_MINOR=6.8822");
    AppendAscii(arguments, " /DUSER_SETTINGS_DIR=\"");
    arguments += ForCompiler(GetUserSettingsDir());
    AppendAscii(arguments, "\\\"");
    AppendAscii(arguments, " /DWORKSTATION_SETTINGS_DIR=\"");
    arguments += ForCompiler(GetWorkstationSettingsDir());
    AppendAscii(arguments, "\\\"");
    AppendAscii(arguments, " /DAPP_DIR_SUFFIX=\"");
    arguments += ComputerInfo::GetAppDirSuffix();
    AppendAscii(arguments, "\\\"");
    AppendAscii(arguments, " /DOUTPUT=\"");
    arguments += ForCompiler(outputPath);
    AppendAscii(arguments, "\"");
    AppendAscii(arguments, " /DCURRENT_WORK_DIR=\"");
    arguments += ForCompiler(moduleDirectory);
    AppendAscii(arguments, "\\\"");
    if (GetNameChoice() == AskWhileInstalling) AppendAscii(arguments, " /DASK_FOR_PARAMETERS");
    // The compiler's own include files name its folder through NSISDIR, whose value it reads with
    // the same escapes: a folder that holds one is given to it again, in the same safe form.
    const std::wstring compilerFolder = moduleDirectory + kCompilerFolderBelowModule;
    if (ForCompiler(compilerFolder) != compilerFolder) {
        AppendAscii(arguments, " \"/X!undef NSISDIR\" /DNSISDIR=\"");
        arguments += ForCompiler(compilerFolder);
        AppendAscii(arguments, "\"");
    }
    AppendAscii(arguments, " \"");
    arguments += moduleDirectory;
    arguments += kScriptBelowModule;
    AppendAscii(arguments, "\"");
    return arguments;
}

BOOL CCreateClientPacketDlg::BuildPacket(const std::wstring& outputPath) {
    CWaitCursor waitCursor;
    std::wstring moduleDirectory;
    try {
        moduleDirectory = GetModuleDirectory();
    } catch (const platform::ModulePathError& e) {
        // A cut path points at another folder: no compiler or batch file from there.
        AfxMessageBox(L"The client distribution kit was not built. " + e.Text(), MB_OK | MB_ICONERROR);
        return FALSE;
    }
    const std::wstring compilerPath = moduleDirectory + kCompilerFolderBelowModule + L"\\makensis.exe";
    const std::wstring arguments = ComposeBuildArguments(outputPath, moduleDirectory);
    // The process-creation call wants its command line in writable, zero-terminated memory.
    std::vector<wchar_t> buffer(arguments.size() + 1, L'\0');
    arguments.copy(buffer.data(), arguments.size());
    return RunPacketBuilder(compilerPath, buffer.data());
}

BOOL CCreateClientPacketDlg::RunPacketBuilder(const std::wstring& compilerPath, wchar_t* arguments) {
    if (IsDebugRun()) {
        // The command about to run, on one line without a line end. A file that cannot be
        // written is no reason to stop the build.
        const std::wstring command = compilerPath + L" " + arguments;
        platform::GetTextFileWriter().WriteClassic(GetModuleDirectory() + kDebugBatchFile, command);
    }

    platform::ProcessLauncher& launcher = platform::GetProcessLauncher();
    const platform::ProcessStart start = launcher.Create(compilerPath, arguments, TRUE, CREATE_NO_WINDOW);
    if (!start.started) {
        std::wstring message;
        AppendAscii(message, "Can't launch the client packet builder (system error is ");
        message += std::to_wstring(static_cast<unsigned long>(start.lastError));
        AppendAscii(message, ").");
        AfxMessageBox(message, MB_OK | MB_ICONERROR);
        return FALSE;
    }
    ProcessHandleOwner owner(start.process);
    // The compiler ends by itself; its exit code is not read.
    launcher.Wait(start.process, INFINITE);
    // Keys and clicks given while the dialog did not respond would answer the next box unread.
    framework::Ui().DiscardPendingInput();
    return TRUE;
}
