// makensis.exe for the test bench: runs Debian's makensis for a Windows caller under Wine.
//
//   makensis.exe /DNAME=value ... "C:\...\script.nsi"
//
// becomes  /usr/bin/makensis -DNAME=value ... /unix/path/script.nsi  and the adapter exits
// with that compiler's exit status once it has ended (waiting at most 15 minutes). The
// compiler's output, after the translated command, goes to standard output and to
// makensis.log beside the adapter (rewritten at each run). Exit code 125: the compiler could
// not be run or did not end in time (the log says which).
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "arguments.h"
#include "unix_job.h"
#include "unix_paths.h"

namespace {

using adapter::Utf8;

const wchar_t kCompiler[] = L"/usr/bin/makensis";
const DWORD kTimeoutMs = 15 * 60 * 1000;

// Prints to standard output (when there is one) and keeps the text in makensis.log.
void Report(const std::string& text) {
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    if (out != nullptr && out != INVALID_HANDLE_VALUE) {
        ::WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    wchar_t self[MAX_PATH + 1] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring log = self;
    log = log.substr(0, log.find_last_of(L'\\') + 1) + L"makensis.log";
    // The first report of a run starts the file afresh.
    static bool first = true;
    HANDLE file = ::CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                first ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    first = false;
    if (file != INVALID_HANDLE_VALUE) {
        ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        ::CloseHandle(file);
    }
}

}  // namespace

int wmain() {
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (argv == nullptr) {
        Report("makensis adapter: cannot split the command line\n");
        return 125;
    }
    std::vector<std::wstring> windowsArguments(argv + (count > 0 ? 1 : 0), argv + count);
    ::LocalFree(argv);

    std::vector<std::wstring> unixArguments;
    std::wstring error;
    if (!adapter::TranslateArguments(windowsArguments, adapter::WineUnixPath, unixArguments, error)) {
        Report("makensis adapter: " + Utf8(error) + "\n");
        return 125;
    }

    std::string command = "makensis adapter: " + adapter::ShellQuote(Utf8(kCompiler));
    for (const std::wstring& argument : unixArguments) command += " " + adapter::ShellQuote(Utf8(argument));
    Report(command + "\n");

    const adapter::JobResult result = adapter::RunUnixProgram(kCompiler, unixArguments, kTimeoutMs);
    if (!result.finished) {
        Report("makensis adapter: " + Utf8(result.error) + "\n");
        return 125;
    }
    Report(result.output);
    Report("makensis adapter: exit status " + std::to_string(result.exitCode) + "\n");
    return static_cast<int>(result.exitCode);
}
