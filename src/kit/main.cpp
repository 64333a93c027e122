// CorvexKitSetup.exe: the kit installer's helper, run from the installer's temporary folder
// with no window:
//
//   CorvexKitSetup.exe check|folder|install|prepare|stop|resume|uninstall "<installation folder>" [switches]
//
// `check` checks the installer's switches, `folder` whether the agent may run from the
// installation folder (asked by the folder page, and by `stop` first), `install` does the
// silent installation's settings, service and firewall work, `prepare` the interactive one's
// (settings and service registration; the install-time dialog does the rest), `stop` stops
// the agent's service before its files are replaced (and, when it ran, leaves
// CorvexKitSetup.stopped beside the program; it also takes the folder back from an earlier
// uninstall's removal at the next restart), `resume` makes it automatic and running again when
// the installation fails after that stop, `uninstall` removes the service and the firewall
// exception.
// The exit code is the installer's (kit_exit_codes.h). The reason of a failure goes, as one
// line of UTF-16 text, into CorvexKitSetup.msg beside the program, for the installer to show;
// every step is appended to the install log (docs/KIT.md). When the log's folder cannot be
// trusted, CorvexKitSetup.nolog beside the program tells the installer to write no lines either;
// CorvexKitSetup.silent, after `check`, that a silent run was asked for in a form it does not take.
#include <windows.h>

#include <cwchar>
#include <exception>
#include <string>
#include <vector>

#include "kit/installer_switches.h"
#include "kit/kit_exit_codes.h"
#include "kit/kit_setup.h"
#include "kit/restart_removals.h"
#include "params/agent_store.h"
#include "params/computer_info.h"
#include "params/corvex_parameters.h"
#include "params/settings_store.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "platform/utf8.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_seams.h"

namespace {

const wchar_t kMessageFile[] = L"CorvexKitSetup.msg";
const wchar_t kStoppedFile[] = L"CorvexKitSetup.stopped";
const wchar_t kNameFile[] = L"CorvexKitSetup.name";
const wchar_t kNoLogFile[] = L"CorvexKitSetup.nolog";
const wchar_t kSilentFile[] = L"CorvexKitSetup.silent";

// Appends timestamped lines to the install log, in UTF-8. A log that cannot be written is
// no reason to stop an installation. The system writes it, so its folders get the rights of the
// agent's settings store (only administrators may change them): a folder on the log's path that
// a user could change (any user may make folders below ProgramData) could be made a link that
// sends the system's writes wherever it points. One a user owns, or a link, gets no log.
class FileLog : public kit::KitLog {
public:
    explicit FileLog(std::wstring mode) : mode_(std::move(mode)) {
        try {
            const std::wstring folder = params::ProgramDataDir() + ComputerInfo::GetAppDirSuffix() + L"Logs\\";
            params::SettingsStore(platform::GetFileSystem(), params::ProgramDataDir()).Prepare(folder);
            path_ = folder + L"setup.log";
        } catch (const std::exception&) {
        }
    }

    bool Usable() const { return !path_.empty(); }

    void Write(const std::wstring& line) override {
        if (path_.empty()) return;
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        wchar_t stamp[32];
        std::swprintf(stamp, sizeof(stamp) / sizeof(stamp[0]), L"%04u-%02u-%02u %02u:%02u:%02u ",
                      static_cast<unsigned>(now.wYear), static_cast<unsigned>(now.wMonth),
                      static_cast<unsigned>(now.wDay), static_cast<unsigned>(now.wHour),
                      static_cast<unsigned>(now.wMinute), static_cast<unsigned>(now.wSecond));
        const std::string text = platform::WideToUtf8Lossy(stamp + (L"[" + mode_ + L"] ") + line) + "\r\n";
        const platform::unique_file file(::CreateFileW(path_.c_str(), FILE_APPEND_DATA,
                                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return;
        DWORD written = 0;
        ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }

private:
    std::wstring mode_;
    std::wstring path_;
};

// The kit program's own folder, with a backslash at its end; a path the system cut is refused
// (platform::ModulePathError), so that no settings are read from another folder.
std::wstring OwnFolder() {
    const std::wstring folder = platform::ReadModuleDirectory(platform::GetModuleFile());
    return !folder.empty() && folder.back() == L'\\' ? folder : folder + L"\\";
}

void WriteText(const std::wstring& path, const std::wstring& message) {
    const platform::unique_file file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    DWORD written = 0;
    ::WriteFile(file.get(), message.data(), static_cast<DWORD>(message.size() * sizeof(wchar_t)), &written, nullptr);
}

// A service reports stopped a moment before its process lets go of its program file: waits, at
// most 15 s, until the agent's file in `folder` can be opened for writing (or is not there), so
// that the installer can replace it and the uninstaller remove it.
void WaitUntilAgentFileIsFree(std::wstring folder, kit::KitLog& log) {
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    const std::wstring path = folder + L"CorvexWorkstation.exe";
    for (int attempt = 0; attempt < 150; ++attempt) {
        const platform::unique_file file(
            ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        const DWORD error = ::GetLastError();
        if (file || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return;
        ::Sleep(100);
    }
    log.Write(L"The agent's program file is still in use: " + path);
}

// The workstation name the agent's store holds (empty when none is stored or the store cannot be
// read), for the name page of a kit that asks for it: a re-run shows it, and Next keeps it.
std::wstring StoredName() {
    try {
        CorvexParameters stored(L"client");
        return stored.Load(), stored.GetClientName();
    } catch (const std::exception&) {
        return std::wstring();
    }
}

kit::KitResult Run(const std::vector<std::wstring>& words, const std::wstring& kitFolder, kit::KitLog& log) {
    if (words.size() < 3)
        return kit::KitResult{KitExit::kUnexpected, L"The kit program was started without its mode and folder."};
    const std::wstring& mode = words[1];
    kit::KitSetup setup(words[2], kitFolder, log);
    const std::vector<std::wstring> switches(words.begin() + 3, words.end());
    if (mode == L"check") {
        if (kit::MeansSilent(switches)) WriteText(kitFolder + kSilentFile, L"");
        return WriteText(kitFolder + kNameFile, StoredName()), setup.Check(switches);
    }
    if (mode == L"folder") return setup.CheckFolder();
    if (mode == L"install") return setup.Install(switches, true);
    if (mode == L"prepare") return setup.Install(switches, false);
    if (mode == L"stop" || mode == L"uninstall") {
        if (mode == L"stop") {
            const kit::KitResult refused = setup.CheckFolder();  // before anything changes
            if (refused.code != 0) return refused;
            kit::KeepFromRemovalAtRestart(words[2], log);  // before its files come back
        }
        const kit::KitResult result = mode == L"stop" ? setup.StopAgent() : setup.Uninstall();
        WaitUntilAgentFileIsFree(words[2], log);
        if (result.stopRequested) WriteText(kitFolder + kStoppedFile, L"");
        return result;
    }
    if (mode == L"resume") return setup.ResumeAgent();
    return kit::KitResult{KitExit::kUnexpected, L"Unknown mode \"" + mode + L"\" of the kit program."};
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    platform::InstallWin32Seams();
    const std::vector<std::wstring> words = kit::SplitInstallerArguments(::GetCommandLineW());
    std::wstring kitFolder;
    FileLog log(words.size() > 1 ? words[1] : L"?");
    kit::KitResult result;
    try {
        log.Write(L"Installation folder " + (words.size() > 2 ? words[2] : std::wstring()));
        kitFolder = OwnFolder();
        result = Run(words, kitFolder, log);
    } catch (const std::exception& e) {
        result = kit::KitResult{
            KitExit::kUnexpected,
            L"Unexpected error: " + std::wstring(e.what(), e.what() + std::char_traits<char>::length(e.what()))};
    } catch (...) {
        result = kit::KitResult{KitExit::kUnexpected, L"Unexpected error."};
    }
    log.Write(L"Exit code " + std::to_wstring(result.code) + (result.message.empty() ? L"" : L": " + result.message));
    if (!kitFolder.empty()) WriteText(kitFolder + kMessageFile, result.message);
    if (!kitFolder.empty() && !log.Usable()) WriteText(kitFolder + kNoLogFile, L"");
    return result.code;
}
