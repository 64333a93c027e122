// makensis.exe for the test bench: runs Debian's makensis for a Windows caller under Wine.
//
//   makensis.exe /DNAME=value ... "C:\...\script.nsi"
//
// becomes  /usr/bin/makensis -DNAME=value ... /unix/path/script.nsi  and the adapter exits
// with that compiler's exit status once it has ended. Environment:
//   CORVEX_UNIX_MAKENSIS             the Unix compiler to run (default /usr/bin/makensis)
//   CORVEX_MAKENSIS_TIMEOUT_SECONDS  how long to wait for it (default 900)
// The compiler's output, after the translated command, goes to standard output and to
// makensis.log beside the adapter (rewritten at each run). Exit codes of its own: 124 time limit, 125 set-up failure.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "arguments.h"
#include "unix_job.h"
#include "unix_paths.h"

namespace {

std::wstring Environment(const wchar_t* name, const wchar_t* fallback) {
    wchar_t buffer[4096];
    const DWORD length = ::GetEnvironmentVariableW(name, buffer, 4096);
    if (length == 0 || length >= 4096) return fallback;
    return std::wstring(buffer, length);
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(length, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], length, nullptr, nullptr);
    return bytes;
}

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

    const std::wstring compiler = Environment(L"CORVEX_UNIX_MAKENSIS", L"/usr/bin/makensis");
    const DWORD timeoutSeconds = std::wcstoul(Environment(L"CORVEX_MAKENSIS_TIMEOUT_SECONDS", L"900").c_str(), nullptr, 10);
    std::string command = "makensis adapter: " + adapter::ShellQuote(Utf8(compiler));
    for (const std::wstring& argument : unixArguments) command += " " + adapter::ShellQuote(Utf8(argument));
    Report(command + "\n");

    const adapter::JobResult result = adapter::RunUnixProgram(compiler, unixArguments, timeoutSeconds * 1000);
    if (!result.finished) {
        Report("makensis adapter: " + Utf8(result.error) + "\n");
        return result.error.find(L"did not end") != std::wstring::npos ? 124 : 125;
    }
    Report(result.output);
    Report("makensis adapter: exit status " + std::to_string(result.exitCode) + "\n");
    return static_cast<int>(result.exitCode);
}
